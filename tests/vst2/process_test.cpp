#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/support/alloc_hook.h"
#include "tests/vst2/test_host.h"

namespace {
class Vst2 : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(library.Loaded()) << library.Error();
    host = std::make_unique<TestHost>(library);
    host->Start(44100.0f, 512);
  }
  AEffect* e() { return host->Effect(); }
  PluginLibrary library;
  std::unique_ptr<TestHost> host;
};
}  // namespace

TEST_F(Vst2, ParameterGetAndSet) {
  e()->setParameter(e(), 2, 0.5f);
  EXPECT_EQ(e()->getParameter(e(), 2), 0.5f);
  e()->setParameter(e(), 3, 0.0f);
  EXPECT_EQ(e()->getParameter(e(), 3), 0.0f);
  EXPECT_EQ(e()->getParameter(e(), 5), 0.0f);
  e()->setParameter(e(), 7, 0.3f);  // ignored
  e()->setParameter(e(), 4, 0.4f);
  EXPECT_EQ(e()->getParameter(e(), 4), 0.0f);
  e()->setParameter(e(), 4, 1.0f);
  EXPECT_EQ(e()->getParameter(e(), 4), 1.0f);
  float in[32], out[2][32];
  for (int i = 0; i < 32; ++i) in[i] = std::sin(i * 0.3f);
  float* ins[] = {in, in};
  float* outs[] = {out[0], out[1]};
  e()->processReplacing(e(), ins, outs, 32);
  EXPECT_EQ(memcmp(out[0], in, sizeof in), 0) << "bypassed: passed through unchanged";
  EXPECT_TRUE(host->CallsWith(audioMasterAutomate).empty());
}

TEST_F(Vst2, WorkedExampleThroughBothProcessCalls) {
  host->Dispatch(effString2Parameter, 1, 0, const_cast<char*>("0.5"));
  std::vector<float> fin(512, 1.0f), fl(512), fr(512);
  std::vector<double> din(512, 1.0), dl(512), dr(512);
  auto second = std::make_unique<TestHost>(library);
  second->Start(44100.0f, 512);
  second->Dispatch(effString2Parameter, 1, 0, const_cast<char*>("0.5"));
  for (int block = 1; block <= 44; ++block) {
    float* ins[] = {fin.data(), fin.data()};
    float* outs[] = {fl.data(), fr.data()};
    e()->processReplacing(e(), ins, outs, 512);
    double* dins[] = {din.data(), din.data()};
    double* douts[] = {dl.data(), dr.data()};
    second->Effect()->processDoubleReplacing(second->Effect(), dins, douts, 512);
    if (block == 1) {
      EXPECT_NEAR(fl[0], 0.000712, 5e-7);
      EXPECT_NEAR(fr[0], 0.001424, 5e-7);
      EXPECT_NEAR(dl[511], 0.517495, 5e-7);
      EXPECT_NEAR(dr[511], 0.517839, 5e-7);
    }
    if (block == 35) {
      EXPECT_NEAR(fl[511], 0.482505, 5e-7);
      EXPECT_NEAR(dr[511], 0.482161, 5e-7);
    }
    if (block == 43) {
      EXPECT_NEAR(dl[511], 0.001409, 5e-7);
      EXPECT_NEAR(fr[511], 0.001408, 5e-7);
    }
    if (block == 44) {
      EXPECT_NEAR(fl[511], 0.518175, 5e-7);
      EXPECT_NEAR(dr[511], 0.518518, 5e-7);
    }
    for (int i = 0; i < 512; ++i) ASSERT_EQ(fl[i], static_cast<float>(dl[i])) << block << ":" << i;
  }
}

TEST_F(Vst2, AccumulatingProcessAddsEachTime) {
  // process twice onto one zeroed buffer against processReplacing of the same two blocks.
  std::vector<float> in(256, 0.5f), accumulated(256, 0.0f), accumulatedR(256, 0.0f), first(256),
      firstR(256), second(256), secondR(256);
  float* ins[] = {in.data(), in.data()};
  float* accOut[] = {accumulated.data(), accumulatedR.data()};
  e()->process(e(), ins, accOut, 256);
  e()->process(e(), ins, accOut, 256);
  TestHost replacing(library);
  replacing.Start(44100.0f, 512);
  float* firstOut[] = {first.data(), firstR.data()};
  float* secondOut[] = {second.data(), secondR.data()};
  replacing.Effect()->processReplacing(replacing.Effect(), ins, firstOut, 256);
  replacing.Effect()->processReplacing(replacing.Effect(), ins, secondOut, 256);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(accumulated[i], first[i] + second[i]) << i;
    ASSERT_EQ(accumulatedR[i], firstR[i] + secondR[i]) << i;
  }
  EXPECT_GT(accumulated[255], first[255]);
}

TEST_F(Vst2, ChunksInBothForms) {
  e()->setParameter(e(), 0, 0.25f);
  void* data = nullptr;
  const VstIntPtr programSize = host->Dispatch(effGetChunk, 1, 0, &data);
  ASSERT_EQ(programSize, 48);
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  EXPECT_EQ(memcmp(bytes, "tffp", 4), 0);
  std::vector<unsigned char> program(bytes, bytes + programSize);
  const VstIntPtr bankSize = host->Dispatch(effGetChunk, 0, 0, &data);
  ASSERT_EQ(bankSize, 54);
  std::vector<unsigned char> bank(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + bankSize);

  TestHost fresh(library);
  fresh.Start();
  EXPECT_EQ(fresh.Dispatch(effSetChunk, 1, programSize, program.data()), 1);
  EXPECT_EQ(fresh.Effect()->getParameter(fresh.Effect(), 0), e()->getParameter(e(), 0));
  TestHost freshBank(library);
  freshBank.Start();
  EXPECT_EQ(freshBank.Dispatch(effSetChunk, 0, bankSize, bank.data()), 1);
  EXPECT_EQ(freshBank.Effect()->getParameter(freshBank.Effect(), 0), e()->getParameter(e(), 0))
      << "getting the bank stored the live state in the current preset, which setting restores";
  char name[32];
  freshBank.Dispatch(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "-");
  EXPECT_EQ(fresh.Dispatch(effGetChunk, 0, 0, nullptr), 0);
  unsigned char four[4] = {1, 2, 3, 4};
  EXPECT_EQ(fresh.Dispatch(effSetChunk, 1, 4, four), 0);
}

TEST_F(Vst2, MidiGoesBackToTheHostAndSysExIsDropped) {
  VstMidiEvent midi{};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof midi;
  midi.deltaFrames = 17;
  midi.midiData[0] = static_cast<char>(0x93);
  midi.midiData[1] = 60;
  midi.midiData[2] = 100;
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof sysex;
  char dump[] = {static_cast<char>(0xF0), 0x7E, static_cast<char>(0xF7)};
  sysex.dumpBytes = 3;
  sysex.sysexDump = dump;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[3];
  } list{3, 0, {reinterpret_cast<VstEvent*>(&midi), nullptr, reinterpret_cast<VstEvent*>(&sysex)}};
  host->ClearCalls();
  EXPECT_EQ(host->Dispatch(effProcessEvents, 0, 0, &list), 1);
  const auto sent = host->CallsWith(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].eventType, kVstMidiType);
  EXPECT_EQ(sent[0].value, 17);
  EXPECT_EQ(sent[0].midi, (std::vector<unsigned char>{0x93, 60, 100, 0}));
  EXPECT_EQ(host->Dispatch(effProcessEvents, 0, 0, nullptr), 0);
}

TEST_F(Vst2, ProcessCallsAllocateNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  std::vector<float> in(512, 0.1f), l(512), r(512);
  std::vector<double> din(512, 0.1), dl(512), dr(512);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {l.data(), r.data()};
  double* dins[] = {din.data(), din.data()};
  double* douts[] = {dl.data(), dr.data()};
  e()->processReplacing(e(), ins, outs, 512);
  alloc_hook::Counter counter;
  for (int i = 0; i < 100; ++i) {
    e()->processReplacing(e(), ins, outs, 512);
    e()->process(e(), ins, outs, 512);
    e()->processDoubleReplacing(e(), dins, douts, 512);
    e()->setParameter(e(), i % 5, 0.3f);
  }
  EXPECT_EQ(counter.Allocations(), 0);
}

TEST(Vst2Hosts, InstancesFromSeveralThreadsAtOnce) {
  PluginLibrary library;
  ASSERT_TRUE(library.Loaded());
  std::atomic<int> good{0};
  auto work = [&] {
    for (int round = 0; round < 20; ++round) {
      TestHost host(library);
      host.Start(48000.0f, 256);
      std::vector<float> in(256, 1.0f), l(256), r(256);
      float* ins[] = {in.data(), in.data()};
      float* outs[] = {l.data(), r.data()};
      host.Effect()->processReplacing(host.Effect(), ins, outs, 256);
      if (host.Effect()->numParams == 5 && l[0] > 0.0f) ++good;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(good, 40);
}

TEST(Vst2Hosts, ScannersResumesAndChunksWhileProcessing) {
  PluginLibrary library;
  {
    TestHost scanner(library);  // suspends an instance it never resumed, then closes
    EXPECT_EQ(scanner.Dispatch(effMainsChanged, 0, 0), 0);
  }
  TestHost host(library);
  host.Start();
  host.Dispatch(effMainsChanged, 0, 1);  // resumed twice
  void* data = nullptr;
  const VstIntPtr size = host.Dispatch(effGetChunk, 1, 0, &data);
  std::vector<unsigned char> chunk(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> in(512, 0.5f), l(512), r(512);
    float* ins[] = {in.data(), in.data()};
    float* outs[] = {l.data(), r.data()};
    while (!stop) host.Effect()->processReplacing(host.Effect(), ins, outs, 512);
  });
  int accepted = 0;
  for (int i = 0; i < 300; ++i) accepted += static_cast<int>(host.Dispatch(effSetChunk, 1, size, chunk.data()));
  stop = true;
  audio.join();
  EXPECT_EQ(accepted, 300);
}

TEST(Vst2Hosts, UnloadAndReloadTheLibrary) {
  for (int i = 0; i < 3; ++i) {
    PluginLibrary library;
    ASSERT_TRUE(library.Loaded()) << library.Error();
    TestHost host(library);
    host.Start();
    EXPECT_EQ(host.Effect()->numParams, 5);
    host.Close();
  }
}
