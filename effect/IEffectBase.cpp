#include "effect/IEffectBase.h"

#include "graphics/IGraphics.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "effect/SampleConversion.h"
#include "kit/Log.h"
#include "kit/kitcstring.h"

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                         bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mDoesMIDI(plugDoesMidi),
      mLatency(latency) {
  Trace("IEffectBase", __LINE__, "%s:%s", effectName, CurrentTime());

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  KIT_CopyString(mEffectName, sizeof mEffectName, effectName);
  KIT_CopyString(mProductName, sizeof mProductName, productName);
  KIT_CopyString(mMfrName, sizeof mMfrName, mfrName);

  // "1-1 2-2": pairs of input and output counts separated by spaces.
  int maxIn = 0, maxOut = 0;
  const char* token = channelIOStr ? channelIOStr : "";
  while (true) {
    int nIn = 0, nOut = 0;
    sscanf(token, "%d-%d", &nIn, &nOut);
    mChannelIO.Add(new ChannelIO{nIn, nOut});
    maxIn = std::max(maxIn, nIn);
    maxOut = std::max(maxOut, nOut);
    token = strchr(token, ' ');
    if (!token) break;
    ++token;
  }

  mInData.Resize(maxIn);
  mOutData.Resize(maxOut);
  for (int i = 0; i < maxIn; ++i) {
    InChannel* channel = new InChannel;
    channel->mSrc = mInData.Get() + i;
    *channel->mSrc = nullptr;
    mInChannels.Add(channel);
  }
  for (int i = 0; i < maxOut; ++i) {
    OutChannel* channel = new OutChannel;
    channel->mDest = mOutData.Get() + i;
    *channel->mDest = nullptr;
    mOutChannels.Add(channel);
  }
  mPieceIn.Resize(maxIn);
  mPieceOut.Resize(maxOut);
}

IEffectBase::~IEffectBase() {
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
}

void IEffectBase::Reset() {
  KIT_MutexLock lock(mMutex);
}

void IEffectBase::OnParamChange(int) {
  KIT_MutexLock lock(mMutex);
}

void IEffectBase::OnActivate(bool) {
  KIT_MutexLock lock(mMutex);
}

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  const int nIn = NInChannels();
  for (int i = 0; i < NOutChannels(); ++i) {
    if (i < nIn)
      memmove(outputs[i], inputs[i], sizeof(double) * static_cast<size_t>(nFrames));
    else
      std::fill(outputs[i], outputs[i] + nFrames, 0.0);
  }
}

void IEffectBase::ProcessMidiMsg(IMidiMsg* msg) { SendMidiMsg(msg); }

bool IEffectBase::MidiNoteName(int, char* name) {
  if (name) name[0] = 0;
  return false;
}

void IEffectBase::SetParameterFromGUI(int paramIdx, double normalized) {
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalized);
  KIT_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalized);
  InformHostOfParamChange(paramIdx, normalized);
  OnParamChange(paramIdx);
}

void IEffectBase::AttachGraphics(IGraphics* graphics) {
  if (!graphics) return;
  KIT_MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  mGraphics = graphics;
}

void IEffectBase::RedrawParamControls() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IEffectBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

int IEffectBase::GetEffectVersion(bool decimal) const {
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IEffectBase::SetHost(const char* host, int version) {
  mHost = LookUpHost(host);
  mHostVersion = version;
  char versionText[32];
  GetVersionStr(version, versionText);
  Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", host,
        versionText);
}

int IEffectBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out) {
  GetHost();
  GetVersionStr(mHostVersion, out);
}

void IEffectBase::GetEffectVersionStr(char* out) const { GetVersionStr(mVersion, out); }

bool IEffectBase::SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* msgs) {
  bool all = true;
  for (int i = 0; i < msgs->GetSize(); ++i) all = SendMidiMsg(msgs->Get() + i) && all;
  return all;
}

bool IEffectBase::LegalIO(int nIn, int nOut) const {
  bool legal = false;
  for (int i = 0; i < mChannelIO.GetSize() && !legal; ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut);
  }
  Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

bool IEffectBase::IsInChannelConnected(int idx) const {
  const InChannel* channel = mInChannels.Get(idx);
  return channel && channel->mConnected;
}

bool IEffectBase::IsOutChannelConnected(int idx) const {
  const OutChannel* channel = mOutChannels.Get(idx);
  return channel && channel->mConnected;
}

void IEffectBase::LimitToStereoIO() {
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IEffectBase::SetInputChannelConnections(int idx, int n, bool connected) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    mConnectedIn += static_cast<int>(connected) - static_cast<int>(channel->mConnected);
    channel->mConnected = connected;
    if (!connected) *channel->mSrc = channel->mScratchBuf.Get();
  }
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    mConnectedOut += static_cast<int>(connected) - static_cast<int>(channel->mConnected);
    channel->mConnected = connected;
    if (!connected) *channel->mDest = channel->mScratchBuf.Get();
  }
}

void IEffectBase::SetBlockSize(int blockSize) {
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  // An entry that pointed at the old scratch storage follows it when the resize moves it.
  for (int i = 0; i < NInChannels(); ++i) {
    InChannel* channel = mInChannels.Get(i);
    const bool onScratch = !channel->mConnected || *channel->mSrc == channel->mScratchBuf.Get();
    double* scratch = channel->mScratchBuf.Resize(blockSize);
    if (scratch) std::fill(scratch, scratch + channel->mScratchBuf.GetSize(), 0.0);
    if (onScratch) *channel->mSrc = scratch;
  }
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    const bool onScratch = !channel->mConnected || *channel->mDest == channel->mScratchBuf.Get();
    double* scratch = channel->mScratchBuf.Resize(blockSize);
    if (scratch) std::fill(scratch, scratch + channel->mScratchBuf.GetSize(), 0.0);
    if (onScratch) *channel->mDest = scratch;
  }
  mBlockSize = blockSize;
}

void IEffectBase::AttachInputBuffers(int idx, int n, double** ppData, int) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) *channel->mSrc = *ppData++;
  }
}

void IEffectBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* scratch = channel->mScratchBuf.Get();
    const float* src = *ppData++;
    const int frames = std::min(nFrames, channel->mScratchBuf.GetSize());
    WidenSamples(src, scratch, frames);
    *channel->mSrc = scratch;
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, double** ppData) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected) *channel->mDest = *ppData++;
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, float** ppData) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    *channel->mDest = channel->mScratchBuf.Get();
    channel->mFDest = *ppData++;
  }
}

void IEffectBase::ProcessBuffers(double, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IEffectBase::ProcessBuffers(float, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  if (nFrames <= 0) return;
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    NarrowSamples(*channel->mDest, channel->mFDest, nFrames);
  }
}

void IEffectBase::ProcessBuffersAccumulating(float, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  if (nFrames <= 0) return;
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    AccumulateSamples(*channel->mDest, channel->mFDest, nFrames);
  }
}

template <class T> void IEffectBase::ProcessInPieces(T** inputs, T** outputs, int nFrames, bool accumulate) {
  constexpr bool kFloat = sizeof(T) == sizeof(float);
  const int nIn = NInChannels(), nOut = NOutChannels();
  const int connectedIn = mConnectedIn, connectedOut = mConnectedOut;
  const bool onScratch = kFloat || connectedIn < nIn || connectedOut < nOut;
  const int piece = onScratch ? mBlockSize : std::max(nFrames, 1);
  if ((connectedIn && !inputs) || (connectedOut && !outputs)) return;
  if (nFrames > 0 && piece <= 0) {
    // No scratch storage to process into: the host hears silence rather than stale memory.
    if (!accumulate) SilenceHostOutputs(outputs, nFrames);
    return;
  }
  T** pieceIn = reinterpret_cast<T**>(mPieceIn.Get());
  T** pieceOut = reinterpret_cast<T**>(mPieceOut.Get());

  int done = 0;
  do {
    const int n = std::min(piece, nFrames - done);
    for (int i = 0; i < connectedIn; ++i) pieceIn[i] = inputs[i] + done;
    for (int i = 0; i < connectedOut; ++i) pieceOut[i] = outputs[i] + done;
    AttachInputBuffers(0, nIn, pieceIn, n);
    AttachOutputBuffers(0, nOut, pieceOut);
    if constexpr (kFloat) {
      if (accumulate)
        ProcessBuffersAccumulating(0.0f, n);
      else
        ProcessBuffers(0.0f, n);
    } else {
      ProcessBuffers(0.0, n);
    }
    done += std::max(n, 0);
  } while (done < nFrames);
}

template <class T> void IEffectBase::SilenceHostOutputs(T** outputs, int nFrames) {
  if (!outputs) return;
  int next = 0;
  for (int i = 0; i < NOutChannels(); ++i) {
    if (!IsOutChannelConnected(i)) continue;
    T* out = outputs[next++];
    if (out) std::fill(out, out + nFrames, T(0));
  }
}

void IEffectBase::ProcessHostBlock(double** inputs, double** outputs, int nFrames) {
  ProcessInPieces(inputs, outputs, nFrames, false);
}

void IEffectBase::ProcessHostBlock(float** inputs, float** outputs, int nFrames, bool accumulate) {
  ProcessInPieces(inputs, outputs, nFrames, accumulate);
}
