#include "examples/Verlo/Verlo.h"

#include <cmath>
#include <cstring>

Verlo::Verlo(IEffectInstanceInfo instanceInfo)
    : IEffectFormat(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "Verlo", "", "Quenmarrow",
                 kVersion, kUniqueID, kMfrID, 0, false, false, false, 0) {
  mGateSmoother = OnePoleSmoother{};
  mPhase = 0.0;
  DeclareParams();
  BuildEditor();
  // The single slot holds the defaults, so the host's first bank already has a named program.
  MakeDefaultPreset("-", 1);
}

void Verlo::DeclareParams() {
  GetParam(kFade)->InitDouble("FADE", 5.0, 5.0, 50.0, 0.01, "ms", "", 1.0);
  GetParam(kFade)->SetShape(1.0);
  GetParam(kChop)->InitDouble("CHOP", 0.22, 0.22, 1.0, 0.01, "ms", "", 1.0);
  GetParam(kChop)->SetShape(1.0);
  GetParam(kDry)->InitDouble("DRY", 0.0, 0.0, 1.0, 0.01, "%", "", 1.0);
  GetParam(kDry)->SetShape(1.0);
  GetParam(kOutput)->InitDouble("OUTPUT", 0.0, -10.0, 10.0, 0.01, "dB", "", 1.0);
  GetParam(kOutput)->SetShape(1.0);
  GetParam(kBypass)->InitInt("BY", 0, 0, 1, "", "");
}

void Verlo::Reset() {
  KIT_MutexLock lock(mMutex);
}

void Verlo::OnParamChange(int paramIdx) {
  KIT_MutexLock lock(mMutex);
  switch (paramIdx) {
    case kFade: mFade = GetParam(kFade)->Value(); break;
    case kChop: mChopPeriod = GetParam(kChop)->Value(); break;
    case kDry: mDryLevel = GetParam(kDry)->Value(); break;
    case kOutput: mOutputGain = std::pow(10.0, GetParam(kOutput)->Value() / 20.0); break;
    default: break;
  }
}

namespace {
// Two smoother steps per frame, the right channel one step ahead of the left.
void ProcessGated(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
                  double& state, double b, double a, double gate, double gain) {
  const double target = a * gate;
  double z = state;
  for (int i = 0; i < nFrames; ++i) {
    z = b * z + target;
    outL[i] = (inL[i] * z) * gain;
    z = b * z + target;
    outR[i] = (inR[i] * z) * gain;
  }
  state = z;
}

// Steps the phase back by whole cycles until it is below CHOP. A block shorter than a cycle
// needs one step; a longer one a few. Past kMaxCycleSteps (a block of minutes, or a tiny sample
// rate) the rest is taken as a remainder instead, so the audio thread never loops for long; an
// infinite phase or a cycle that is not positive cannot be brought back and stays as it is.
constexpr int kMaxCycleSteps = 1024;

double WrappedPhase(double phase, double chop, double cycle) {
  for (int i = 0; i < kMaxCycleSteps; ++i) {
    if (!(phase >= chop)) return phase;  // NaN stays as it is
    phase -= cycle;
  }
  if (!(phase >= chop) || !(cycle > 0.0) || !std::isfinite(phase)) return phase;
  const double cycleStart = chop - cycle;
  const double wrapped = cycleStart + std::fmod(phase - cycleStart, cycle);
  return wrapped < chop ? wrapped : cycleStart;
}

void CopyThrough(const double* inL, const double* inR, double* outL, double* outR, int nFrames) {
  memmove(outL, inL, sizeof(double) * static_cast<size_t>(nFrames));
  memmove(outR, inR, sizeof(double) * static_cast<size_t>(nFrames));
}
}  // namespace

void Verlo::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  const double sampleRate = GetSampleRate();
  mPhase = mPhase + nFrames / sampleRate;
  const double p = mChopPeriod + (-kDuckedSlot);
  mPhase = WrappedPhase(mPhase, mChopPeriod, p);
  const double gate = mPhase >= p ? static_cast<double>(static_cast<float>(mDryLevel)) : 1.0;
  if (nFrames <= 0) return;

  // FADE, the sample rate and BY cannot change inside a block, so per-block evaluation gives
  // the same bits as per-frame evaluation; the weights are recomputed only when their inputs
  // changed since the last block.
  if (!(mFade == mWeightsFade && sampleRate == mWeightsSampleRate)) {
    mGateSmoother.SetFrequency(mFade, sampleRate);
    mWeightsFade = mFade;
    mWeightsSampleRate = sampleRate;
  }
  const int bypass = GetParam(kBypass)->Int();
  if (bypass == 0)
    ProcessGated(inputs[0], inputs[1], outputs[0], outputs[1], nFrames, mGateSmoother.z,
                 mGateSmoother.b, mGateSmoother.a, gate, mOutputGain);
  else if (bypass == 1)
    CopyThrough(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
}
