#include "effect/lv2/IEffectLV2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/IGraphics.h"
#include "kit/Log.h"

namespace {
const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
  for (; features && *features; ++features)
    if ((*features)->URI && strcmp((*features)->URI, uri) == 0) return (*features)->data;
  return nullptr;
}

// n unconnected ports.
template <class T> void Unconnected(KIT_TypedBuf<T*>& ports, int n) {
  ports.Resize(n);
  for (int i = 0; i < n; ++i) ports.Get()[i] = nullptr;
}
}  // namespace

IEffectLV2::IEffectLV2(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                       bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2) {
  Trace("IEffectLV2", __LINE__, "%s", effectName);
  const LV2InstanceContext* context = instanceInfo.mLV2Context;
  const LV2_Feature* const* features = context ? context->mFeatures : nullptr;
  if (context) {
    SetSampleRate(context->mSampleRate);
    mWrite = context->mWrite;
    mController = context->mController;
  }
  FindFeatures(features);
  if (mMap && context && context->mPluginURI) {
    mStateKey = mMap->map(mMap->handle, (std::string(context->mPluginURI) + kStateKeySuffix).c_str());
    mChunkType = mMap->map(mMap->handle, LV2_ATOM__Chunk);
  }

  Unconnected(mControlPorts, nParams);
  Unconnected(mInputPorts, NInChannels());
  Unconnected(mOutputPorts, NOutChannels());
  mAppliedPortValues.Resize(nParams);
  for (int i = 0; i < nParams; ++i) mAppliedPortValues.Get()[i] = std::nan("");
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(kDefaultBlockSize);
  ReadOptions(features);
}

IEffectLV2::~IEffectLV2() = default;

void IEffectLV2::FindFeatures(const LV2_Feature* const* features) {
  mMap = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
  mTouch = static_cast<LV2UI_Touch*>(const_cast<void*>(FindFeature(features, LV2_UI__touch)));
  mResize = static_cast<LV2UI_Resize*>(const_cast<void*>(FindFeature(features, LV2_UI__resize)));
}

// The block size the scratch buffers are made for: the host's maximum when it states one.
void IEffectLV2::ReadOptions(const LV2_Feature* const* features) {
  const auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  if (!options || !mMap) return;
  const LV2_URID maxBlock = mMap->map(mMap->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID atomInt = mMap->map(mMap->handle, LV2_ATOM__Int);
  for (; options->key != 0 || options->value != nullptr; ++options) {
    if (options->context != LV2_OPTIONS_INSTANCE || options->key != maxBlock) continue;
    if (options->type != atomInt || options->size != sizeof(int32_t) || !options->value) continue;
    int32_t frames;
    memcpy(&frames, options->value, sizeof frames);
    if (frames > 0) SetBlockSize(frames);
  }
}

bool IEffectLV2::IsToggle(const IParam& param) {
  double lo, hi;
  param.GetBounds(lo, hi);
  return param.Type() == IParam::kTypeBool ||
         ((param.Type() == IParam::kTypeInt || param.Type() == IParam::kTypeEnum) && lo == 0.0 && hi == 1.0);
}

double IEffectLV2::PortValueToParam(const IParam& param, float value) {
  if (IsToggle(param)) return value > 0.0f ? 1.0 : 0.0;
  if (param.Type() == IParam::kTypeDouble) return value;
  return std::nearbyint(static_cast<double>(value));  // NaN stays NaN; the range then clamps it
}

// Editor instance: gestures and values go to the host's port.

void IEffectLV2::BeginInformHostOfParamChange(int paramIdx) {
  if (mTouch && paramIdx >= 0 && paramIdx < NParams())
    mTouch->touch(mTouch->handle, static_cast<uint32_t>(paramIdx), true);
}

void IEffectLV2::InformHostOfParamChange(int paramIdx, double /*normalized*/) {
  const IParam* param = GetParam(paramIdx);
  if (!mWrite || !param) return;
  const float value = static_cast<float>(param->Value());
  mWrite(mController, static_cast<uint32_t>(paramIdx), sizeof value, 0, &value);
}

void IEffectLV2::EndInformHostOfParamChange(int paramIdx) {
  if (mTouch && paramIdx >= 0 && paramIdx < NParams())
    mTouch->touch(mTouch->handle, static_cast<uint32_t>(paramIdx), false);
}

void IEffectLV2::ResizeGraphics(int w, int h) {
  if (mResize && GetGUI()) mResize->ui_resize(mResize->handle, w, h);
  OnWindowResize();
}

void IEffectLV2::PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  if (format != 0 || bufferSize != sizeof(float) || !buffer || port >= static_cast<uint32_t>(NParams())) return;
  float value;
  memcpy(&value, buffer, sizeof value);
  const int idx = static_cast<int>(port);
  KIT_MutexLock lock(mMutex);
  SetParamFromPort(idx, value);
  if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug(idx, GetParam(idx)->GetNormalized(), true);
}

unsigned long IEffectLV2::OpenEditor(void* parent) {
  IGraphics* graphics = GetGUI();
  if (!graphics || !graphics->OpenWindow(parent)) return 0;
  OnGUIOpen();
  if (mResize) mResize->ui_resize(mResize->handle, graphics->Width(), graphics->Height());
  return reinterpret_cast<unsigned long>(graphics->GetWindow());
}

bool IEffectLV2::IdleEditor() {
  IGraphics* graphics = GetGUI();
  if (!graphics || !graphics->WindowIsOpen()) return false;
  graphics->Idle();
  return graphics->WindowIsOpen();
}

void IEffectLV2::CloseEditor() {
  IGraphics* graphics = GetGUI();
  // A window that went with the host's parent is no longer open, but still has its connection to close.
  if (!graphics || !graphics->GetWindow()) return;
  graphics->CloseWindow();
  OnGUIClose();
}

// Processing instance.

void IEffectLV2::ConnectPort(uint32_t port, void* data) {
  const int index = static_cast<int>(port);
  if (port >= static_cast<uint32_t>(NPorts())) return;
  if (index < NParams())
    mControlPorts.Get()[index] = static_cast<const float*>(data);
  else if (index < AudioOutPort(0))
    mInputPorts.Get()[index - AudioInPort(0)] = static_cast<float*>(data);
  else
    mOutputPorts.Get()[index - AudioOutPort(0)] = static_cast<float*>(data);
}

void IEffectLV2::Activate() {
  KIT_MutexLock lock(mMutex);
  OnActivate(true);
}

void IEffectLV2::Deactivate() {
  KIT_MutexLock lock(mMutex);
  OnActivate(false);
  Reset();
}

void IEffectLV2::ApplyControlPorts() {
  for (int i = 0; i < NParams(); ++i) {
    const float* port = mControlPorts.Get()[i];
    if (!port) continue;
    const float value = *port;  // one read, both compared and applied
    double& applied = mAppliedPortValues.Get()[i];
    if (value == applied) continue;
    applied = value;
    SetParamFromPort(i, value);
  }
}

void IEffectLV2::SetParamFromPort(int paramIdx, float value) {
  IParam* param = GetParam(paramIdx);
  param->Set(PortValueToParam(*param, value));
  OnParamChange(paramIdx);
}

void IEffectLV2::Run(uint32_t nFrames) {
  KIT_MutexLock lock(mMutex);
  ApplyControlPorts();
  // Every audio port must be connected before run; a host that left one out gets no audio
  // rather than a write through a null pointer.
  for (int i = 0; i < NInChannels(); ++i)
    if (!mInputPorts.Get()[i]) return;
  for (int i = 0; i < NOutChannels(); ++i)
    if (!mOutputPorts.Get()[i]) return;
  const int frames = nFrames > 0x7fffffffu ? 0x7fffffff : static_cast<int>(nFrames);
  ProcessHostBlock(mInputPorts.Get(), mOutputPorts.Get(), frames, false);
}

LV2_State_Status IEffectLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle) {
  if (!mStateKey || !store) return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk chunk;
  {
    KIT_MutexLock lock(mMutex);
    if (!GetStateChunkForHost(&chunk, false) || chunk.Size() <= 0) return LV2_STATE_ERR_UNKNOWN;
  }
  return store(handle, mStateKey, chunk.GetBytes(), static_cast<size_t>(chunk.Size()), mChunkType,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IEffectLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  if (!mStateKey || !retrieve) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, mStateKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mChunkType) return LV2_STATE_ERR_BAD_TYPE;
  if (size > 0x7fffffff) return LV2_STATE_ERR_UNKNOWN;
  ByteChunk chunk;
  if (chunk.PutBytes(data, static_cast<int>(size)) != static_cast<int>(size)) return LV2_STATE_ERR_UNKNOWN;
  KIT_MutexLock lock(mMutex);
  if (!SetStateChunkFromHost(&chunk, false)) return LV2_STATE_ERR_UNKNOWN;
  // The restored values stand until a port changes: the values the ports hold now are taken as
  // applied. A host that also restores the ports sets them to these same values.
  for (int i = 0; i < NParams(); ++i) {
    const float* port = mControlPorts.Get()[i];
    mAppliedPortValues.Get()[i] = port ? static_cast<double>(*port) : static_cast<double>(static_cast<float>(GetParam(i)->Value()));
  }
  return LV2_STATE_SUCCESS;
}
