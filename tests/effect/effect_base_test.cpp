#include <gtest/gtest.h>

#include <cstring>

#include "tests/effect/offline_host.h"

namespace {
// Itanium C++ ABI: a pointer to a virtual member holds 1 + the slot's byte offset in the table.
template <class F> int SlotOf(F member) {
  struct {
    ptrdiff_t ptr, adj;
  } raw;
  static_assert(sizeof(member) == sizeof(raw), "member pointer layout");
  memcpy(&raw, &member, sizeof raw);
  return static_cast<int>((raw.ptr - 1) / static_cast<ptrdiff_t>(sizeof(void*)));
}
}  // namespace

TEST(EffectBase, VirtualSlotsKeepTheirOrder) {
  using B = IEffectBase;
  const int slots[] = {
      SlotOf(&B::Reset), SlotOf(&B::OnParamChange), SlotOf(&B::ProcessDoubleReplacing),
      SlotOf(&B::OnGUIOpen), SlotOf(&B::OnGUIClose), SlotOf(&B::OnIdle), SlotOf(&B::OnActivate),
      SlotOf(&B::ProcessMidiMsg), SlotOf(&B::ProcessSysEx), SlotOf(&B::MidiNoteName),
      SlotOf(&B::SerializeState), SlotOf(&B::UnserializeState), SlotOf(&B::CompareState),
      SlotOf(&B::OnWindowResize), SlotOf(&B::HostRequestingAboutBox),
      SlotOf(&B::OnHostIdentified), SlotOf(&B::PopupHostContextMenuForParam),
      SlotOf(&B::SetParameterFromGUI), SlotOf(&B::BeginInformHostOfParamChange),
      SlotOf(&B::InformHostOfParamChange), SlotOf(&B::EndInformHostOfParamChange),
      SlotOf(&B::InformHostOfProgramChange), SlotOf(&B::IsRenderingOffline),
      SlotOf(&B::GetSamplePos), SlotOf(&B::GetTempo), SlotOf(&B::GetTimeSig), SlotOf(&B::GetTime),
      SlotOf(&B::GetHost), SlotOf(&B::GetAPI), SlotOf(&B::ResizeGraphics),
      SlotOf(&B::HostSpecificInit), SlotOf(&B::AttachGraphics), SlotOf(&B::SetLatency),
      SlotOf(&B::SendMidiMsg), SlotOf(&B::SendSysEx), SlotOf(&B::RedrawParamControls),
      SlotOf(&B::DirtyPTCompareState), SlotOf(&B::PresetsChangedByHost), SlotOf(&B::SetBlockSize)};
  for (int i = 0; i < static_cast<int>(sizeof slots / sizeof slots[0]); ++i)
    EXPECT_EQ(slots[i], i + 2) << "slot " << i + 2;
}

TEST(EffectBase, ConstructionDefaults) {
  OfflineHost<TestBase> effect("1-1 2-2", 3, 2);
  EXPECT_EQ(effect.NParams(), 3);
  EXPECT_EQ(effect.GetParam(0)->Type(), IParam::kTypeNone);
  EXPECT_EQ(effect.GetParam(3), nullptr);
  EXPECT_EQ(effect.GetSampleRate(), 44100.0);
  EXPECT_EQ(effect.GetBlockSize(), 0);
  EXPECT_EQ(effect.GetHost(), -1);
  EXPECT_EQ(effect.GetAPI(), kAPIVST2);
  EXPECT_STREQ(effect.GetEffectName(), "Test");
  EXPECT_STREQ(effect.GetProductName(), "Product");
  EXPECT_STREQ(effect.GetMfrName(), "Maker");
  EXPECT_EQ(effect.GetEffectVersion(false), 0x10203);
  EXPECT_EQ(effect.GetEffectVersion(true), 10203);
  EXPECT_EQ(effect.NInChannels(), 2);
  EXPECT_EQ(effect.NOutChannels(), 2);
  EXPECT_FALSE(effect.IsInChannelConnected(0));
  effect.SetLatency(64);
  EXPECT_EQ(effect.GetLatency(), 64);
}

TEST(EffectBase, LongNamesAreCutToTheirFields) {
  const std::string longName(300, 'x');
  struct LongNamed : IEffectBase {
    explicit LongNamed(const char* n)
        : IEffectBase(0, "1-1", 0, n, n, n, 0, 0, 0, 0, false, false, false, kAPIVST2) {}
  };
  OfflineHost<LongNamed> effect(longName.c_str());
  EXPECT_EQ(strlen(effect.GetEffectName()), 127u);
  EXPECT_EQ(strlen(effect.GetProductName()), 127u);
  EXPECT_EQ(strlen(effect.GetMfrName()), 127u);
}

TEST(EffectBase, ChannelStringsAndLegalIO) {
  OfflineHost<TestBase> stereo("1-1 2-2");
  EXPECT_TRUE(stereo.LegalIO(1, 1));
  EXPECT_TRUE(stereo.LegalIO(2, 2));
  EXPECT_FALSE(stereo.LegalIO(1, 2));
  EXPECT_TRUE(stereo.LegalIO(1, -1));
  EXPECT_TRUE(stereo.LegalIO(-1, -1));
  EXPECT_FALSE(stereo.LegalIO(3, -1));

  OfflineHost<TestBase> empty("");
  EXPECT_TRUE(empty.LegalIO(0, 0));
  EXPECT_EQ(empty.NInChannels(), 0);

  OfflineHost<TestBase> odd("0-2 4-x");
  EXPECT_TRUE(odd.LegalIO(0, 2));
  EXPECT_TRUE(odd.LegalIO(4, 0)) << "an unreadable count reads as 0";
  EXPECT_EQ(odd.NInChannels(), 4);
  EXPECT_EQ(odd.NOutChannels(), 2);
}

TEST(EffectBase, LimitToStereoIO) {
  OfflineHost<TestBase> effect("4-4");
  effect.SetInputChannelConnections(0, 4, true);
  effect.LimitToStereoIO();
  EXPECT_TRUE(effect.IsInChannelConnected(1));
  EXPECT_FALSE(effect.IsInChannelConnected(2));
  EXPECT_FALSE(effect.IsInChannelConnected(3));
  EXPECT_TRUE(effect.IsOutChannelConnected(2));
  EXPECT_TRUE(effect.IsOutChannelConnected(3));
  EXPECT_FALSE(effect.IsOutChannelConnected(0));
}

TEST(EffectBase, SetParameterFromGUIInformsTheHostAndTheEffect) {
  struct Watching : TestBase {
    Watching() : TestBase("1-1", 2) {}
    std::vector<int> changes;
    void OnParamChange(int idx) override { changes.push_back(idx); }
  };
  OfflineHost<Watching> effect;
  effect.GetParam(1)->InitDouble("p", 0, 0, 10, 0.1);
  effect.SetParameterFromGUI(1, 0.25);
  EXPECT_DOUBLE_EQ(effect.GetParam(1)->Value(), 2.5);
  ASSERT_EQ(effect.informed.size(), 1u);
  EXPECT_EQ(effect.informed[0].paramIdx, 1);
  EXPECT_EQ(effect.informed[0].normalized, 0.25);
  EXPECT_EQ(effect.changes, std::vector<int>{1});
  effect.SetParameterFromGUI(7, 0.5);
  EXPECT_EQ(effect.informed.size(), 1u) << "an index outside the list changes nothing";
  effect.OnParamReset();
  EXPECT_EQ(effect.changes, (std::vector<int>{1, 0, 1}));
}

TEST(EffectBase, DefaultSlots) {
  OfflineHost<TestBase> effect("1-1");
  char name[8] = "x";
  EXPECT_FALSE(effect.MidiNoteName(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(effect.HostRequestingAboutBox());
  EXPECT_FALSE(effect.IsRenderingOffline());
  EXPECT_FALSE(effect.SendSysEx(nullptr));
  effect.AttachGraphics(nullptr);
  EXPECT_EQ(effect.GetGUI(), nullptr);
}
