#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "effect/Hosts.h"
#include "effect/IEffectStructs.h"
#include "tests/effect/offline_host.h"

namespace {
std::string HostName(EHost host) {
  char text[32];
  GetHostNameStr(host, text);
  return text;
}
}  // namespace

TEST(Hosts, LookUpByLowerCaseSubstringInFixedOrder) {
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Steinberg Nuendo with Cubase inside"), kHostCubase);
  EXPECT_EQ(LookUpHost("Olive Tree"), kHostLive);
  EXPECT_EQ(LookUpHost("Ardour"), kHostArdour);
  EXPECT_EQ(LookUpHost("Bitwig Studio"), kHostUnknown);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(std::string(300, 'x').append("reaper").c_str()), kHostUnknown)
      << "only the first 255 characters count";
  EXPECT_EQ(HostName(kHostMelodyne), "Unknown");
  EXPECT_EQ(HostName(kHostReaper), "Reaper");
  EXPECT_EQ(HostName(kHostOpenMPT), "OpenMPT");
  EXPECT_EQ(HostName(static_cast<EHost>(19)), "Unknown");
  EXPECT_EQ(HostName(kHostUninit), "Unknown");
}

TEST(Hosts, Versions) {
  EXPECT_EQ(GetDecimalVersion(0x20000), 20000);
  EXPECT_EQ(PackDecimalVersion(2041), 0x1429);
  EXPECT_EQ(PackDecimalVersion(110005), (11 << 16) | 5);
  char text[32];
  GetVersionStr(0x20103, text);
  EXPECT_STREQ(text, "v2.1.3");
  EXPECT_STREQ(GetAPIStr(0), "VST2");
  EXPECT_STREQ(GetAPIStr(5), "Standalone");
  EXPECT_STREQ(GetAPIStr(6), "LV2");
  EXPECT_STREQ(GetAPIStr(7), "");
  OfflineHost<TestBase> effect("1-1");
  effect.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");
  EXPECT_STREQ(effect.GetAPIString(), "VST2");
  EXPECT_STREQ(effect.GetArchString(), "x64");
  effect.SetHost("Cakewalk SONAR", 0x10203);
  EXPECT_EQ(effect.GetHost(), kHostSonar);
  EXPECT_EQ(effect.GetHostVersion(true), 10203);
  EXPECT_GT(GetSystemVersion(), 0);
}

TEST(Midi, BuildAndRead) {
  IMidiMsg msg;
  msg.MakePitchWheelMsg(0.5, 3);
  EXPECT_EQ(msg.mStatus, 0xE3);
  EXPECT_EQ(msg.mData1, 0);
  EXPECT_EQ(msg.mData2, 96);
  msg.MakePitchWheelMsg(2.0);
  EXPECT_EQ(msg.mData1, 127);
  EXPECT_EQ(msg.mData2, 127);
  EXPECT_DOUBLE_EQ(msg.PitchWheel(), 8191.0 / 8192.0);
  msg.MakePitchWheelMsg(-1.0);
  EXPECT_EQ(msg.mData1 | msg.mData2, 0);
  msg.MakePitchWheelMsg(0.0);
  EXPECT_EQ(msg.PitchWheel(), 0.0);
  msg.MakeNoteOnMsg(60, 100, 12, 2);
  EXPECT_EQ(msg.mStatus, 0x92);
  EXPECT_EQ(msg.Channel(), 2);
  EXPECT_EQ(msg.mOffset, 12);
  EXPECT_EQ(msg.NoteNumber(), 60);
  EXPECT_EQ(msg.Velocity(), 100);
  msg.mStatus = 0xA0;
  EXPECT_EQ(msg.Velocity(), -1);
  EXPECT_EQ(msg.NoteNumber(), 60);
  EXPECT_EQ(msg.PolyAfterTouch(), 100);
  msg.mStatus = 0xF8;
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNone);
  msg.mStatus = 0x45;
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNone);
  msg.MakeControlChangeMsg(10, 0.5);
  EXPECT_EQ(msg.mData2, 63);
  EXPECT_EQ(msg.ControlChange(7), -1.0);
  EXPECT_DOUBLE_EQ(msg.ControlChange(10), 63.0 / 127.0);
  msg.MakeNoteOffMsg(61, 3);
  EXPECT_EQ(msg.mStatus, 0x80);
  EXPECT_EQ(msg.Velocity(), 0);
  EXPECT_EQ(msg.Program(), -1);
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kPitchWheel), "pitchwheel");
  EXPECT_STREQ(StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(15)), "unknown");
  EXPECT_STREQ(StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)), "unknown");
}

TEST(Midi, SysExText) {
  const uint8_t bytes[] = {0xF0, 0x7E, 0x7F, 0xF7};
  char wide[64], narrow[7], tiny[2] = "x";
  EXPECT_STREQ(SysExStr(wide, sizeof wide, bytes, 4), "F0 7E 7F F7");
  EXPECT_STREQ(SysExStr(narrow, sizeof narrow, bytes, 4), "F0 7E");
  EXPECT_STREQ(SysExStr(tiny, sizeof tiny, bytes, 4), "");
  EXPECT_STREQ(SysExStr(wide, sizeof wide, nullptr, 4), "");
}

TEST(Midi, BaseSendsMessagesOnAndListsReportFailures) {
  struct Thru : TestBase {
    Thru() : TestBase("1-1") {}
    int sent = 0;
    bool accept = true;
  };
  struct Recorder : OfflineHost<Thru> {
    bool SendMidiMsg(IMidiMsg*) override {
      ++sent;
      return accept;
    }
  } effect;
  IMidiMsg msg(0, 0x90, 1, 2);
  effect.ProcessMidiMsg(&msg);
  EXPECT_EQ(effect.sent, 1);
  KIT_TypedBuf<IMidiMsg> list;
  list.Resize(3);
  EXPECT_TRUE(effect.SendMidiMsgs(&list));
  effect.accept = false;
  EXPECT_FALSE(effect.SendMidiMsgs(&list));
  EXPECT_EQ(effect.sent, 7) << "every message is attempted";
  ISysEx sysex;
  effect.ProcessSysEx(&sysex);
  EXPECT_FALSE(effect.SendSysEx(&sysex));
}
