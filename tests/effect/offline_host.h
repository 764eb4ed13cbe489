#pragma once
// A plug-in base finished for tests: the host-facing slots record what the plug-in tells the
// host instead of calling one.
#include <type_traits>
#include <utility>
#include <vector>

#include "effect/IEffectVST.h"

template <class Effect> class OfflineHost : public Effect {
public:
  template <class... Args, std::enable_if_t<(sizeof...(Args) > 0), int> = 0>
  explicit OfflineHost(Args&&... args) : Effect(std::forward<Args>(args)...) {}
  // Effects built for a format adapter get an adapter without a host callback.
  template <class E = Effect, std::enable_if_t<std::is_base_of_v<IEffectVST, E>, int> = 0>
  OfflineHost() : Effect(IEffectInstanceInfo{}) {}
  template <class E = Effect, std::enable_if_t<!std::is_base_of_v<IEffectVST, E>, int> = 0>
  OfflineHost() : Effect() {}

  struct Change {
    int paramIdx;
    double normalized;
  };
  std::vector<Change> informed;
  int programChanges = 0;

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int paramIdx, double normalized) override {
    informed.push_back({paramIdx, normalized});
  }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override { ++programChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 0; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  // What a host does before processing: connect, size and open.
  void Prepare(double sampleRate, int blockSize, int nIn, int nOut) {
    this->SetInputChannelConnections(0, nIn, true);
    this->SetInputChannelConnections(nIn, this->NInChannels() - nIn, false);
    this->SetOutputChannelConnections(0, nOut, true);
    this->SetOutputChannelConnections(nOut, this->NOutChannels() - nOut, false);
    this->SetSampleRate(sampleRate);
    this->SetBlockSize(blockSize);
    this->OnParamReset();
  }
  void SetParam(int idx, double value) {
    this->GetParam(idx)->Set(value);
    this->OnParamChange(idx);
  }
};

// A plain base with a chosen channel string and parameter count.
class TestBase : public IEffectBase {
public:
  explicit TestBase(const char* channelIO, int nParams = 0, int nPresets = 1)
      : IEffectBase(nParams, channelIO, nPresets, "Test", "Product", "Maker", 0x10203, 0x54657374,
                    0x4d6b7231, 0, false, false, false, kAPIVST2) {}
};
