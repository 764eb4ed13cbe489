#pragma once
// Verlo: a stereo chopper. Full level for most of each cycle, ducked to DRY for the last 0.1 s,
// the switching smoothed by a one-pole filter set by FADE, then an output gain and a bypass.
#include "coeffs/Smooth.h"
#include "effect/IEffectFormat.h"

class Verlo : public IEffectFormat {
public:
  enum EParams { kFade = 0, kChop, kDry, kOutput, kBypass, kNumParams };
  static constexpr int kNumPresets = 1;
  static constexpr int kVersion = 0x20000;
  static constexpr int kUniqueID = 0x56524C31;  // 'VRL1'
  static constexpr int kMfrID = 0x516D7277;     // 'Qmrw'
  static constexpr double kDuckedSlot = 0.1;    // seconds at the end of every cycle
  static const char kProductURL[];              // what the editor's link opens

  explicit Verlo(IEffectInstanceInfo instanceInfo);
  ~Verlo() override = default;

  void Reset() override;                        // host, with the plug-in mutex
  void OnParamChange(int paramIdx) override;    // host or GUI, takes the plug-in mutex
  // Audio, with the plug-in mutex.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  double GetPhase() const { return mPhase; }
  const OnePoleSmoother& GetGateSmoother() const { return mGateSmoother; }

private:
  void DeclareParams();
  // Builds the editor and hands it to the plug-in; the constructor's thread.
  void BuildEditor();

  OnePoleSmoother mGateSmoother;
  double mFade = 5.0;
  double mChopPeriod = 0.22;
  double mOutputGain = 1.0;
  double mDryLevel = 0.0;
  double mPhase = 0.0;
  // The FADE and sample rate the smoother's weights were computed for (NaN: not yet).
  double mWeightsFade = __builtin_nan("");
  double mWeightsSampleRate = __builtin_nan("");
};
