#include "effect/IEffectVST.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/IGraphics.h"
#include "kit/Log.h"
#include "kit/kitcstring.h"

namespace {
IEffectVST* InstanceOf(AEffect* effect) { return effect ? static_cast<IEffectVST*>(effect->object) : nullptr; }
}  // namespace

IEffectVST::IEffectVST(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                       int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                       int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName,
                  vendorVersion, uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks,
                  plugIsInst, kAPIVST2),
      mHostCallback(instanceInfo.mVSTHostCallback) {
  Trace("IEffectVST", __LINE__, "%s", effectName);

  memset(&mAEffect, 0, sizeof mAEffect);
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.numPrograms = nPresets;
  mAEffect.numParams = nParams;
  mAEffect.numInputs = NInChannels();
  mAEffect.numOutputs = NOutChannels();
  int flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (plugDoesChunks) flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) flags |= effFlagsCanMono;
  if (plugIsInst) flags |= effFlagsIsSynth;
  mAEffect.flags = flags;
  mAEffect.initialDelay = latency;
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = uniqueID;
  mAEffect.version = GetEffectVersion(true);
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

  memset(&mInputSpkrArr, 0, sizeof mInputSpkrArr);
  memset(&mOutputSpkrArr, 0, sizeof mOutputSpkrArr);
  mInputSpkrArr.numChannels = NInChannels();
  mInputSpkrArr.type = VSTSpkrArrType(NInChannels());
  mOutputSpkrArr.numChannels = NOutChannels();
  mOutputSpkrArr.type = VSTSpkrArrType(NOutChannels());

  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(1024);
}

IEffectVST::~IEffectVST() {
  mState.Clear();
  mBankState.Clear();
}

int IEffectVST::VSTSpkrArrType(int nChannels) {
  switch (nChannels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

// Host callback: a null callback (which the entry function stores as it comes) answers 0.
VstIntPtr IEffectVST::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST::BeginInformHostOfParamChange(int paramIdx) {
  CallHost(audioMasterBeginEdit, paramIdx, 0, nullptr, 0.0f);
}

void IEffectVST::InformHostOfParamChange(int paramIdx, double normalized) {
  CallHost(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalized));
}

void IEffectVST::EndInformHostOfParamChange(int paramIdx) {
  CallHost(audioMasterEndEdit, paramIdx, 0, nullptr, 0.0f);
}

void IEffectVST::InformHostOfProgramChange() { CallHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f); }

bool IEffectVST::IsRenderingOffline() {
  return CallHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f) == kVstProcessLevelOffline;
}

const VstTimeInfo* IEffectVST::AskTime(VstInt32 mask) {
  return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, mask, nullptr, 0.0f));
}

int IEffectVST::GetSamplePos() {
  const VstTimeInfo* t = AskTime(0);
  if (t && t->samplePos >= 0.0) return TruncateToInt(t->samplePos + 0.5);
  return 0;
}

double IEffectVST::GetTempo() {
  if (!mHostCallback) return 0.0;
  const VstTimeInfo* t = AskTime(kVstTempoValid);
  if (t && (t->flags & kVstTempoValid) && t->tempo >= 0.0) return t->tempo;
  return 0.0;
}

void IEffectVST::GetTimeSig(int* numerator, int* denominator) {
  *numerator = *denominator = 0;
  const VstTimeInfo* t = AskTime(kVstTimeSigValid);
  if (t && (t->flags & kVstTimeSigValid) && t->timeSigNumerator >= 0 && t->timeSigDenominator >= 0) {
    *numerator = t->timeSigNumerator;
    *denominator = t->timeSigDenominator;
  }
}

void IEffectVST::GetTime(ITimeInfo* timeInfo) {
  constexpr VstInt32 kMask = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                             kVstTimeSigValid;
  const VstTimeInfo* t = AskTime(kMask);
  if (!t || !(t->flags & kMask)) return;
  timeInfo->mSamplePos = t->samplePos;
  if ((t->flags & kVstPpqPosValid) && t->ppqPos >= 0.0) timeInfo->mPPQPos = t->ppqPos;
  if ((t->flags & kVstTempoValid) && t->tempo > 0.0) timeInfo->mTempo = t->tempo;
  if ((t->flags & kVstBarsValid) && t->barStartPos >= 0.0) timeInfo->mLastBar = t->barStartPos;
  if ((t->flags & kVstCyclePosValid) && t->cycleStartPos >= 0.0 && t->cycleEndPos >= 0.0) {
    timeInfo->mCycleStart = t->cycleStartPos;
    timeInfo->mCycleEnd = t->cycleEndPos;
  }
  if ((t->flags & kVstTimeSigValid) && t->timeSigNumerator > 0 && t->timeSigDenominator > 0) {
    timeInfo->mNumerator = t->timeSigNumerator;
    timeInfo->mDenominator = t->timeSigDenominator;
  }
  timeInfo->mTransportIsRunning = (t->flags & kVstTransportPlaying) != 0;
  timeInfo->mTransportLoopEnabled = (t->flags & kVstTransportCycleActive) != 0;
}

EHost IEffectVST::GetHost() {
  if (mHost != kHostUninit) return mHost;
  char product[kHostStrLen] = "";
  CallHost(audioMasterGetProductString, 0, 0, product, 0.0f);
  product[kHostStrLen - 1] = 0;  // a host that fills the whole buffer still gives a text
  int version = 0;
  if (product[0]) {
    const VstIntPtr decimal = CallHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
    version = PackDecimalVersion(static_cast<int>(decimal));
  }
  SetHost(product, version);
  return mHost;
}

void IEffectVST::ResizeGraphics(int, int) {
  // The editor's size is reported once it exists; there is nothing to report before.
  if (!GetGUI()) return;
  SetEditRectFromGUI();
  OnWindowResize();
}

void IEffectVST::SetEditRectFromGUI() {
  mEditRect.top = 0;
  mEditRect.left = 0;
  mEditRect.bottom = static_cast<VstInt16>(GetGUI()->Height());
  mEditRect.right = static_cast<VstInt16>(GetGUI()->Width());
}

void IEffectVST::HostSpecificInit() {
  if (mHostSpecificInitDone) return;
  mHostSpecificInitDone = true;
  const EHost host = GetHost();
  if (host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSAWStudio)
    LimitToStereoIO();
  mInputSpkrArr.numChannels = mAEffect.numInputs = NInChannels();
  mOutputSpkrArr.numChannels = mAEffect.numOutputs = NOutChannels();
  OnHostIdentified();
}

void IEffectVST::AttachGraphics(IGraphics* graphics) {
  if (!graphics) return;
  IEffectBase::AttachGraphics(graphics);
  mAEffect.flags |= effFlagsHasEditor;
  SetEditRectFromGUI();
}

void IEffectVST::SetLatency(int samples) {
  mAEffect.initialDelay = samples;
  IEffectBase::SetLatency(samples);
}

bool IEffectVST::SendVSTEvent(VstEvent* event) {
  VstEvents events{};
  events.numEvents = 1;
  events.reserved = 0;
  events.events[0] = event;
  return CallHost(audioMasterProcessEvents, 0, 0, &events, 0.0f) == 1;
}

bool IEffectVST::SendMidiMsg(IMidiMsg* msg) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = msg->mOffset;
  event.midiData[0] = static_cast<char>(msg->mStatus);
  event.midiData[1] = static_cast<char>(msg->mData1);
  event.midiData[2] = static_cast<char>(msg->mData2);
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

bool IEffectVST::SendSysEx(ISysEx* msg) {
  VstMidiSysexEvent event{};
  event.type = kVstSysExType;
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = msg->mOffset;
  event.dumpBytes = msg->mSize;
  event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(msg->mData));
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

// Parameters and processing.

float IEffectVST::VSTGetParameter(AEffect* effect, VstInt32 idx) {
  Trace("VSTGetParameter", __LINE__, "%d", idx);
  IEffectVST* plug = InstanceOf(effect);
  KIT_MutexLock lock(plug->mMutex);
  const IParam* param = plug->GetParam(idx);
  return param ? static_cast<float>(param->GetNormalized()) : 0.0f;
}

void IEffectVST::VSTSetParameter(AEffect* effect, VstInt32 idx, float value) {
  Trace("VSTSetParameter", __LINE__, "%d:%f", idx, value);
  IEffectVST* plug = InstanceOf(effect);
  KIT_MutexLock lock(plug->mMutex);
  IParam* param = plug->GetParam(idx);
  if (!param) return;
  if (IGraphics* graphics = plug->GetGUI()) graphics->SetParameterFromPlug(idx, value, true);
  param->SetNormalized(value);
  plug->OnParamChange(idx);
}

void IEffectVST::WantMidi() {
  if (DoesMIDI()) CallHost(audioMasterWantMidi, 0, 0, nullptr, 0.0f);
}

void IEffectVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
  IEffectVST* plug = InstanceOf(effect);
  KIT_MutexLock lock(plug->mMutex);
  plug->WantMidi();
  plug->ProcessHostBlock(inputs, outputs, nFrames, true);
}

void IEffectVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 nFrames) {
  IEffectVST* plug = InstanceOf(effect);
  KIT_MutexLock lock(plug->mMutex);
  plug->WantMidi();
  plug->ProcessHostBlock(inputs, outputs, nFrames, false);
}

void IEffectVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           VstInt32 nFrames) {
  IEffectVST* plug = InstanceOf(effect);
  KIT_MutexLock lock(plug->mMutex);
  plug->WantMidi();
  plug->ProcessHostBlock(inputs, outputs, nFrames);
}
