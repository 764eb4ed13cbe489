#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "tests/vst2/test_host.h"

namespace {
class Dispatcher : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(library.Loaded()) << library.Error();
    host = std::make_unique<TestHost>(library);
    ASSERT_NE(host->Effect(), nullptr);
    host->Start();
  }
  std::string Text(VstInt32 opcode, int idx = 0) {
    char buffer[256];
    memset(buffer, 'x', sizeof buffer);
    host->Dispatch(opcode, idx, 0, buffer);
    return buffer;
  }
  PluginLibrary library;
  std::unique_ptr<TestHost> host;
};
}  // namespace

TEST(Vst2Record, ReadsAsTheEffectRightAfterTheEntryCall) {
  PluginLibrary library;
  ASSERT_TRUE(library.Loaded()) << library.Error();
  for (bool viaMain : {false, true}) {
    TestHost host(library, viaMain);
    const AEffect* e = host.Effect();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 5);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1019) << "replacing, double replacing, mono and an editor";
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->uniqueID, 0x56524C31);
    EXPECT_EQ(e->version, 20000);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->object, nullptr);
    EXPECT_TRUE(e->dispatcher && e->process && e->setParameter && e->getParameter &&
                e->processReplacing && e->processDoubleReplacing);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->realQualities, 0);
  }
}

TEST_F(Dispatcher, OpenIdentifiesTheHostOnce) {
  EXPECT_EQ(host->CallsWith(audioMasterGetProductString).size(), 1u);
  EXPECT_EQ(host->CallsWith(audioMasterGetVendorVersion).size(), 1u);
  host->Dispatch(effOpen);
  host->Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(host->CallsWith(audioMasterGetProductString).size(), 1u);
  EXPECT_EQ(host->CallsWith(audioMasterGetVendorVersion).size(), 1u);
}

TEST(Vst2Host, AnEmptyProductNameIsNotAskedForItsVersion) {
  PluginLibrary library;
  TestHost host(library);
  host.productString = "";
  host.Dispatch(effOpen);
  host.Dispatch(effOpen);
  EXPECT_EQ(host.CallsWith(audioMasterGetProductString).size(), 1u);
  EXPECT_EQ(host.CallsWith(audioMasterGetVendorVersion).size(), 0u);
}

TEST_F(Dispatcher, ParameterTexts) {
  EXPECT_EQ(Text(effGetParamName, 0), "FADE");
  EXPECT_EQ(Text(effGetParamLabel, 0), "ms");
  EXPECT_EQ(Text(effGetParamDisplay, 0), "5.00");
  EXPECT_EQ(Text(effGetParamName, 3), "OUTPUT");
  EXPECT_EQ(Text(effGetParamLabel, 2), "%");
  EXPECT_EQ(Text(effGetParamDisplay, 4), "0");
  EXPECT_EQ(Text(effGetParamLabel, 4), "");
  char untouched[8] = "keep";
  EXPECT_EQ(host->Dispatch(effGetParamName, 5, 0, untouched), 0);
  EXPECT_STREQ(untouched, "keep");
  EXPECT_EQ(host->Dispatch(effGetParamName, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, NamesAndVersions) {
  EXPECT_EQ(Text(effGetEffectName), "Verlo");
  EXPECT_EQ(Text(effGetVendorString), "Quenmarrow");
  EXPECT_EQ(Text(effGetProductString), "");
  EXPECT_EQ(host->Dispatch(effGetEffectName, 0, 0, nullptr), 0);
  EXPECT_EQ(host->Dispatch(effGetVendorVersion), 20000);
  EXPECT_EQ(host->Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(host->Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(host->Dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(host->Dispatch(effGetTailSize), 0);
  EXPECT_EQ(host->Dispatch(effCanBeAutomated, 2), 1);
}

TEST_F(Dispatcher, Programs) {
  EXPECT_EQ(host->Dispatch(effGetProgram), 0);
  EXPECT_EQ(Text(effGetProgramName), "-");
  char name[64];
  EXPECT_EQ(host->Dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "-");
  EXPECT_EQ(host->Dispatch(effGetProgramNameIndexed, 1, 0, name), 0);
  EXPECT_STREQ(name, "");
  char newName[] = "Long program name beyond the field";
  host->Dispatch(effSetProgramName, 0, 0, newName);
  EXPECT_EQ(Text(effGetProgramName), std::string(newName).substr(0, 23))
      << "cut to the host's 24-byte field";
  host->Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(host->Dispatch(effGetProgram), 0);
}

TEST_F(Dispatcher, StringToParameterClampsAndMaps) {
  char text[] = "12.5";
  EXPECT_EQ(host->Dispatch(effString2Parameter, 0, 0, text), 1);
  EXPECT_EQ(Text(effGetParamDisplay, 0), "12.50");
  char high[] = "80";
  EXPECT_EQ(host->Dispatch(effString2Parameter, 0, 0, high), 1);
  EXPECT_EQ(Text(effGetParamDisplay, 0), "50.00");
  char low[] = "-3";
  host->Dispatch(effString2Parameter, 0, 0, low);
  EXPECT_EQ(Text(effGetParamDisplay, 0), "5.00");
  EXPECT_EQ(host->Dispatch(effString2Parameter, 0, 0, nullptr), 1);
  EXPECT_EQ(Text(effGetParamDisplay, 0), "5.00");
  EXPECT_EQ(host->Dispatch(effString2Parameter, 9, 0, text), 0);
  EXPECT_TRUE(host->CallsWith(audioMasterAutomate).empty()) << "the host is not told back";
}

TEST_F(Dispatcher, NumbersAreReadAndShownWithAPointUnderACommaLocale) {
  // A host that took the user's locale: de_DE writes 12,5 for 12.5.
  const std::string previous = setlocale(LC_ALL, nullptr);
  if (!setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "locale de_DE.UTF-8 missing (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  char text[] = "12.5";
  EXPECT_EQ(host->Dispatch(effString2Parameter, 0, 0, text), 1);
  EXPECT_EQ(Text(effGetParamDisplay, 0), "12.50");
  EXPECT_STREQ(localeconv()->decimal_point, ",") << "the host's locale is left alone";
  setlocale(LC_ALL, previous.c_str());
}

TEST_F(Dispatcher, PinProperties) {
  VstPinProperties pin;
  memset(&pin, 0x55, sizeof pin);
  pin.label[0] = 0;
  EXPECT_EQ(host->Dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 3);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(pin.arrangementType, 0x55555555) << "other fields as the host gave them";
  EXPECT_EQ(host->Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(host->Dispatch(effGetInputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(host->Dispatch(effGetInputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(host->Dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, CapabilitiesAndVendorSpecific) {
  char timeInfo[] = "receiveVstTimeInfo", midi[] = "receiveVstMidiEvent",
       vendorExtensions[] = "hasCockosExtensions", view[] = "hasCockosViewAsConfig", other[] = "bypass";
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, timeInfo), 1);
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, midi), 0);
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, vendorExtensions), static_cast<VstIntPtr>(0xBEEF0000));
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, view), static_cast<VstIntPtr>(0xBEEF0000));
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, other), 0);
  EXPECT_EQ(host->Dispatch(effCanDo, 0, 0, nullptr), 0);

  char display[64] = "";
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 7, 3, display, 0.75f), 0xBEEF);
  EXPECT_STREQ(display, "5.00") << "OUTPUT at normalised 0.75";
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 7, 9, display, 0.5f), 0xBEEF);
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 8, 4), 0xBEEF) << "BY moves in whole steps";
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 8, 0), 0);
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 8, 5), 0);
  EXPECT_EQ(host->Dispatch(effVendorSpecific, 3, 0), 0);
}

TEST_F(Dispatcher, OpcodesAnsweredWithZeroAndTheEditorsSizeBeforeItOpens) {
  for (VstInt32 op : {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40, 41, 43, 44, 46,
                      54, 55, 56, 57, 59, 60, 61, 62, 63, 64, 65, 67, 68, 70, 71, 72, 77, 200, -1})
    EXPECT_EQ(host->Dispatch(op, 0, 0, nullptr), 0) << op;
  ERect* rect = nullptr;
  ASSERT_EQ(host->Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 784);
  EXPECT_EQ(rect->bottom - rect->top, 184);
  EXPECT_EQ(host->Dispatch(effEditGetRect, 0, 0, nullptr), 0);
  EXPECT_EQ(host->Dispatch(effEditOpen, 0, 0, nullptr), 0);  // no parent window: nothing opens
  EXPECT_EQ(host->Dispatch(effEditIdle), 0);
  EXPECT_EQ(host->Dispatch(effEditClose), 1);
  EXPECT_EQ(host->Dispatch(effIdle), 0);
  MidiKeyName key{};
  key.thisKeyNumber = 60;
  strcpy(key.keyName, "junk");
  EXPECT_EQ(host->Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
}

TEST_F(Dispatcher, SpeakerArrangements) {
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(host->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(in->numChannels, 2);
  EXPECT_EQ(out->numChannels, 2);

  // Mono in and out: channel 1 of each side processes its zeroed scratch buffer.
  VstSpeakerArrangement mono{};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  EXPECT_EQ(host->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
  EXPECT_EQ(in->numChannels, 2) << "the reported arrangement stays";
  float input[64], output[64];
  for (int i = 0; i < 64; ++i) input[i] = 1.0f, output[i] = -1.0f;
  float* ins[] = {input};
  float* outs[] = {output};
  host->Effect()->processReplacing(host->Effect(), ins, outs, 64);
  EXPECT_NEAR(output[0], 0.000712, 5e-7) << "the left computation alone";
}
