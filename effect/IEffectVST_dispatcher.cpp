// The dispatcher: every opcode the host sends besides parameters and processing.
#include <cstdio>
#include <cstring>

#include "effect/IEffectVST.h"
#include "graphics/IGraphics.h"
#include "kit/Log.h"
#include "kit/kitcstring.h"
#include "kit/numtext.h"

namespace {
constexpr VstInt32 kNvEf = 0x4E764566;  // 'NvEf'
constexpr VstIntPtr kBeef = 0xBEEF;
constexpr VstIntPtr kBeefCanDo = 0xBEEF0000;

// Host text buffers are written only as far as their published size.
void CopyToHost(void* ptr, int size, const char* text) {
  KIT_CopyString(static_cast<char*>(ptr), static_cast<size_t>(size), text);
}
}  // namespace

VstIntPtr IEffectVST::VSTDispatcher(AEffect* effect, VstInt32 opCode, VstInt32 idx,
                                    VstIntPtr value, void* ptr, float opt) {
  IEffectVST* plug = effect ? static_cast<IEffectVST*>(effect->object) : nullptr;
  if (!plug) return 0;
  plug->mMutex.Enter();
  if (opCode == effEditIdle || opCode == effIdle) {
    plug->mMutex.Leave();
    // The editor pumps its window outside the mutex: drawing must never wait for the audio.
    if (opCode == effEditIdle && plug->GetGUI()) plug->GetGUI()->Idle();
    return 0;
  }
  Trace("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opCode, VSTOpcodeStr(opCode), idx,
        static_cast<int>(value));
  if (opCode == effClose) {
    plug->mMutex.Leave();
    delete plug;
    return 0;
  }
  const VstIntPtr result = plug->Dispatch(opCode, idx, value, ptr, opt);
  plug->mMutex.Leave();
  return result;
}

VstIntPtr IEffectVST::Dispatch(VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr, float opt) {
  IParam* param = GetParam(idx);  // null unless idx names a parameter
  switch (static_cast<unsigned>(opCode)) {
    case effOpen:
      HostSpecificInit();
      OnParamReset();
      return 0;
    case effSetProgram:
      if (!DoesStateChunks()) ModifyCurrentPreset();
      RestorePreset(static_cast<int>(value));
      return 0;
    case effGetProgram:
      return mCurrentPresetIdx;
    case effSetProgramName:
      if (ptr) {
        char name[kVstMaxProgNameLen + 1];  // hosts may send a full field without terminator
        KIT_CopyStringN(name, sizeof name, static_cast<const char*>(ptr), kVstMaxProgNameLen);
        ModifyCurrentPreset(name);
        PresetsChangedByHost();
      }
      return 0;
    case effGetProgramName:
      if (ptr) CopyToHost(ptr, kVstMaxProgNameLen, GetPresetName(mCurrentPresetIdx));
      return 0;
    case effGetParamLabel:
      if (param && ptr) CopyToHost(ptr, kVstParamTextLen, param->GetLabelForHost());
      return 0;
    case effGetParamDisplay:
      if (param && ptr)
        param->GetDisplayForHost(param->Value(), false, static_cast<char*>(ptr), kVstParamTextLen, true);
      return 0;
    case effGetParamName:
      if (param && ptr) CopyToHost(ptr, kVstParamTextLen, param->GetNameForHost());
      return 0;
    case effSetSampleRate:
      SetSampleRate(static_cast<double>(opt));
      Reset();
      return 0;
    case effSetBlockSize:
      SetBlockSize(static_cast<int>(value));
      Reset();
      return 0;
    case effMainsChanged:
      if (value) {
        OnActivate(true);
      } else {
        OnActivate(false);
        Reset();
      }
      return 0;
    case effEditGetRect:
      if (ptr && GetGUI()) {
        *static_cast<ERect**>(ptr) = &mEditRect;
        return 1;
      }
      return 0;
    case effEditOpen:
      if (!GetGUI() || !GetGUI()->OpenWindow(ptr)) return 0;
      OnGUIOpen();
      return 1;
    case effEditClose:
      if (!GetGUI()) return 0;
      OnGUIClose();
      GetGUI()->CloseWindow();
      return 1;
    case effIdentify:
      return kNvEf;
    case effGetChunk:
      return ptr ? GetChunk(idx == 0, static_cast<void**>(ptr)) : 0;
    case effSetChunk:
      return ptr ? SetChunk(idx == 0, ptr, value) : 0;
    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return StringToParameter(idx, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed:
      if (!ptr) return 0;
      CopyToHost(ptr, kVstMaxProgNameLen, GetPresetName(idx));
      return static_cast<char*>(ptr)[0] ? 1 : 0;
    case effGetInputProperties:
      return PinProperties(true, idx, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
      return PinProperties(false, idx, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
      return IsInst() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      ConnectFromArrangement(true, reinterpret_cast<const VstSpeakerArrangement*>(value));
      ConnectFromArrangement(false, static_cast<const VstSpeakerArrangement*>(ptr));
      return 1;
    case effGetEffectName:
      if (!ptr) return 0;
      CopyToHost(ptr, kVstMaxEffectNameLen, GetEffectName());
      return 1;
    case effGetVendorString:
      if (!ptr) return 0;
      CopyToHost(ptr, kVstMaxVendorStrLen, GetMfrName());
      return 1;
    case effGetProductString:
      if (!ptr) return 0;
      CopyToHost(ptr, kVstMaxProductStrLen, GetProductName());
      return 1;
    case effGetVendorVersion:
      return GetEffectVersion(true);
    case effVendorSpecific:
      return VendorSpecific(idx, value, ptr, opt);
    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize:
      return GetTailSize();
    case effGetVstVersion:
      return 2400;
    case effGetMidiKeyName: {
      MidiKeyName* key = static_cast<MidiKeyName*>(ptr);
      if (!key) return 0;
      // The effect writes into a field of its own; the host's field gets a bounded copy.
      char name[kVstMaxNameLen * 2] = "";
      const bool named = MidiNoteName(key->thisKeyNumber, name);
      CopyToHost(key->keyName, kVstMaxNameLen, name);
      return named ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputSpkrArr;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputSpkrArr;
      return 1;
    default:
      return 0;
  }
}

VstIntPtr IEffectVST::GetChunk(bool bank, void** data) {
  ByteChunk* chunk = bank ? &mBankState : &mState;
  if (!GetStateChunkForHost(chunk, bank) || chunk->Size() <= 0) return 0;
  *data = chunk->GetBytes();
  return chunk->Size();
}

VstIntPtr IEffectVST::SetChunk(bool bank, const void* data, VstIntPtr size) {
  if (size < 0 || size > 0x7fffffff) return 0;
  ByteChunk* chunk = bank ? &mBankState : &mState;
  if (chunk->Resize(static_cast<int>(size)) != size) return 0;
  if (size > 0) memcpy(chunk->GetBytes(), data, static_cast<size_t>(size));
  return SetStateChunkFromHost(chunk, bank) ? 1 : 0;
}

VstIntPtr IEffectVST::ProcessEvents(const VstEvents* events) {
  if (!events) return 0;
  // The record declares two entries; hosts send numEvents of them, so the list is walked
  // through a pointer rather than by indexing the declared array past its end.
  VstEvent* const* list = events->events;
  for (int i = 0; i < events->numEvents; ++i) {
    VstEvent* event = list[i];
    if (!event) continue;
    if (event->type == kVstMidiType) {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      IMidiMsg msg(midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                   static_cast<uint8_t>(midi->midiData[1]), static_cast<uint8_t>(midi->midiData[2]));
      ProcessMidiMsg(&msg);
    } else if (event->type == kVstSysExType && event->byteSize >= static_cast<VstInt32>(sizeof(VstMidiSysexEvent))) {
      // An event too small for the SysEx record would have its dump pointer read from beyond it.
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      ISysEx msg(sysex->deltaFrames, reinterpret_cast<const uint8_t*>(sysex->sysexDump), sysex->dumpBytes);
      ProcessSysEx(&msg);
    }
  }
  return 1;
}

VstIntPtr IEffectVST::StringToParameter(int idx, const char* text) {
  IParam* param = GetParam(idx);
  if (!param) return 0;
  if (!text) return 1;
  double value;
  if (param->GetNDisplayTexts() == 0) {
    value = KIT_StrToDouble(text);
  } else {
    int mapped;
    if (!param->MapDisplayText(text, &mapped)) return 0;
    value = mapped;
  }
  if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug(idx, value, false);
  double lo, hi;
  param->GetBounds(lo, hi);
  param->Set(value < lo ? lo : (value > hi ? hi : value));
  OnParamChange(idx);
  return 1;
}

VstIntPtr IEffectVST::PinProperties(bool input, int idx, VstPinProperties* properties) {
  const int count = input ? NInChannels() : NOutChannels();
  if (idx < 0 || !properties || idx >= count) return 0;
  properties->flags = kVstPinIsActive;
  if (idx % 2 == 0 && idx < count - 1) properties->flags |= kVstPinIsStereo;
  snprintf(properties->label, sizeof properties->label, input ? "Input %d" : "Output %d", idx + 1);
  return 1;
}

void IEffectVST::ConnectFromArrangement(bool input, const VstSpeakerArrangement* arrangement) {
  if (!arrangement) return;
  const int n = arrangement->numChannels;
  const int count = input ? NInChannels() : NOutChannels();
  const int connected = n < 0 ? 0 : (n > count ? count : n);
  if (input) {
    SetInputChannelConnections(0, connected, true);
    SetInputChannelConnections(connected, count - connected, false);
  } else {
    SetOutputChannelConnections(0, connected, true);
    SetOutputChannelConnections(connected, count - connected, false);
  }
}

VstIntPtr IEffectVST::VendorSpecific(int idx, VstIntPtr value, void* ptr, float opt) {
  if (idx == 7 && ptr) {
    const IParam* param = value >= 0 && value < NParams() ? GetParam(static_cast<int>(value)) : nullptr;
    if (param) param->GetDisplayForHost(opt, true, static_cast<char*>(ptr), kVstParamTextLen, true);
    return kBeef;
  }
  if (idx == 8) {
    const IParam* param = value >= 0 && value < NParams() ? GetParam(static_cast<int>(value)) : nullptr;
    return param && param->Type() != IParam::kTypeDouble ? kBeef : 0;
  }
  return 0;
}

VstIntPtr IEffectVST::CanDo(const char* text) {
  if (!text) return 0;
  Trace("VSTDispatcher", __LINE__, "VSTCanDo(%s)", text);
  if (!strcmp(text, "receiveVstTimeInfo")) return 1;
  if (DoesMIDI() && (!strcmp(text, "sendVstEvents") || !strcmp(text, "sendVstMidiEvent") ||
                     !strcmp(text, "receiveVstEvents") || !strcmp(text, "receiveVstMidiEvent")))
    return 1;
  if (!strcmp(text, "hasCockosExtensions") || !strcmp(text, "hasCockosViewAsConfig")) return kBeefCanDo;
  return 0;
}
