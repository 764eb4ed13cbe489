// The adapter's messages to the host, driven in-process with a scripted host callback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "effect/IEffectVST.h"

namespace {
struct Script {
  VstTimeInfo time{};
  bool answerTime = true;
  VstIntPtr vendorVersion = 0;
  const char* product = "";
  std::vector<VstInt32> opcodes;
  std::vector<VstIntPtr> values;
} sScript;

VstIntPtr ScriptedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr, float) {
  sScript.opcodes.push_back(opcode);
  sScript.values.push_back(value);
  switch (opcode) {
    case audioMasterGetTime: return sScript.answerTime ? reinterpret_cast<VstIntPtr>(&sScript.time) : 0;
    case audioMasterGetProductString: strcpy(static_cast<char*>(ptr), sScript.product); return 1;
    case audioMasterGetVendorVersion: return sScript.vendorVersion;
    default: return 0;
  }
}

class TestVST : public IEffectVST {
public:
  explicit TestVST(const char* io = "1-1 2-2", bool chunks = false, bool inst = false,
                   audioMasterCallback cb = ScriptedHost)
      : IEffectVST(IEffectInstanceInfo{cb}, 2, io, 0, "T", "", "M", 0x10000, 1, 2, 0, false,
                   chunks, inst, 0) {}
};

class Bridge : public testing::Test {
protected:
  void SetUp() override { sScript = Script(); }
};
}  // namespace

TEST_F(Bridge, RecordFlagsAndArrangementTypes) {
  EXPECT_EQ(TestVST("1-1 2-2").GetAEffect()->flags, 0x1018);
  EXPECT_EQ(TestVST("2-2").GetAEffect()->flags, 0x1010);
  EXPECT_EQ(TestVST("2-2", true).GetAEffect()->flags, 0x1030);
  EXPECT_EQ(TestVST("0-2", false, true).GetAEffect()->flags, 0x1110);
  EXPECT_EQ(TestVST().GetAEffect()->numPrograms, 0) << "the entry function raises it to 1";
  EXPECT_EQ(TestVST().GetBlockSize(), 1024);
  EXPECT_EQ(IEffectVST::VSTSpkrArrType(0), -1);
  EXPECT_EQ(IEffectVST::VSTSpkrArrType(1), 0);
  EXPECT_EQ(IEffectVST::VSTSpkrArrType(2), 1);
  EXPECT_EQ(IEffectVST::VSTSpkrArrType(3), -2);
  EXPECT_EQ(IEffectVST::VSTSpkrArrType(-1), -2);
}

TEST_F(Bridge, GetTimeNeedsAValidityBitAndPositiveValues) {
  TestVST plug;
  ITimeInfo info;
  info.mTempo = 99;
  info.mNumerator = 7;
  info.mDenominator = 8;
  sScript.time.flags = kVstTransportPlaying;  // no validity bit: nothing changes at all
  sScript.time.samplePos = 1000;
  plug.GetTime(&info);
  EXPECT_EQ(info.mSamplePos, 0.0);
  EXPECT_FALSE(info.mTransportIsRunning);
  EXPECT_EQ(sScript.values.back(), 0x3E00);

  sScript.time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstTransportCycleActive;
  sScript.time.tempo = 0.0;  // GetTime wants a positive tempo...
  sScript.time.ppqPos = 4.5;
  sScript.time.timeSigNumerator = 3;
  sScript.time.timeSigDenominator = 0;  // ...and positive time-signature values
  plug.GetTime(&info);
  EXPECT_EQ(info.mSamplePos, 1000.0);
  EXPECT_EQ(info.mPPQPos, 4.5);
  EXPECT_EQ(info.mTempo, 99.0);
  EXPECT_EQ(info.mNumerator, 7);
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportLoopEnabled);
  EXPECT_FALSE(info.mTransportIsRunning);
  // GetTempo and GetTimeSig accept 0.
  EXPECT_EQ(plug.GetTempo(), 0.0);
  EXPECT_EQ(sScript.values.back(), kVstTempoValid);
  int num = -1, den = -1;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(den, 0);
  EXPECT_EQ(sScript.values.back(), kVstTimeSigValid);

  sScript.time.flags = kVstBarsValid | kVstCyclePosValid | kVstTempoValid;
  sScript.time.tempo = 120;
  sScript.time.barStartPos = 8;
  sScript.time.cycleStartPos = 2;
  sScript.time.cycleEndPos = -1;  // both must be valid
  plug.GetTime(&info);
  EXPECT_EQ(info.mTempo, 120.0);
  EXPECT_EQ(info.mLastBar, 8.0);
  EXPECT_EQ(info.mCycleStart, 0.0);
  EXPECT_EQ(plug.GetTempo(), 120.0);
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(num, 0) << "no time-signature bit";

  sScript.time.samplePos = 99.6;
  EXPECT_EQ(plug.GetSamplePos(), 100);
  EXPECT_EQ(sScript.values.back(), 0);
  sScript.time.samplePos = -5;
  EXPECT_EQ(plug.GetSamplePos(), 0);
  sScript.answerTime = false;
  EXPECT_EQ(plug.GetTempo(), 0.0);
  EXPECT_EQ(plug.GetSamplePos(), 0);
  plug.GetTime(&info);
  EXPECT_EQ(info.mTempo, 120.0);
}

TEST_F(Bridge, HostVersionsArePackedOnce) {
  sScript.product = "REAPER";
  sScript.vendorVersion = 2041;
  TestVST plug;
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(false), 0x1429);
  EXPECT_EQ(plug.GetHostVersion(true), 2041);
  char text[32];
  plug.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v0.20.41");
  sScript.opcodes.clear();
  plug.GetHost();
  EXPECT_TRUE(sScript.opcodes.empty()) << "never asked again";

  sScript.product = "Fancy Host";
  sScript.vendorVersion = 11 * 10000 + 5;
  TestVST other;
  EXPECT_EQ(other.GetHost(), kHostUnknown);
  EXPECT_EQ(other.GetHostVersion(false), (11 << 16) | 5);
}

TEST_F(Bridge, StereoOnlyHostsLimitTheChannels) {
  sScript.product = "Adobe Audition";
  TestVST plug("4-4");
  plug.HostSpecificInit();
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
  EXPECT_EQ(plug.GetAEffect()->numInputs, 4);
  plug.HostSpecificInit();  // once only
  EXPECT_EQ(std::count(sScript.opcodes.begin(), sScript.opcodes.end(), audioMasterGetProductString), 1);
}

TEST_F(Bridge, NullHostCallbackIsSafe) {
  TestVST plug("1-1", false, false, nullptr);
  EXPECT_EQ(plug.GetTempo(), 0.0);
  EXPECT_EQ(plug.GetHost(), kHostUnknown);
  plug.InformHostOfParamChange(0, 0.5);
  IMidiMsg msg;
  EXPECT_FALSE(plug.SendMidiMsg(&msg));
  plug.SetLatency(32);
  EXPECT_EQ(plug.GetAEffect()->initialDelay, 32);
  EXPECT_EQ(plug.GetLatency(), 32);
}

TEST_F(Bridge, LifecycleOpcodesCallTheirHooksInOrder) {
  struct Recording : TestVST {
    std::vector<std::string> log;
    void Reset() override { log.push_back("reset"); }
    void OnActivate(bool active) override { log.push_back(active ? "on" : "off"); }
    void OnParamChange(int idx) override { log.push_back("param" + std::to_string(idx)); }
    void SetBlockSize(int n) override {
      log.push_back("block" + std::to_string(n));
      IEffectVST::SetBlockSize(n);
    }
  };
  Recording* plug = new Recording;  // the close opcode deletes it
  AEffect* e = plug->GetAEffect();
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 96000.0f);
  e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(plug->log, (std::vector<std::string>{"param0", "param1", "reset", "block256", "reset",
                                                 "on", "off", "reset"}));
  EXPECT_EQ(plug->GetSampleRate(), 96000.0);
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 0);
  AEffect orphan{};
  EXPECT_EQ(IEffectVST::VSTDispatcher(&orphan, effGetVstVersion, 0, 0, nullptr, 0.0f), 0)
      << "a record without an instance";
}
