#include "plugin.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "error.h"
#include "text.h"

PluginLibrary::PluginLibrary(const std::string& path) : vst2host::PluginLibrary(path) {
  if (!Loaded()) throw HostError(Error());
}

PluginInstance::PluginInstance(PluginLibrary& library, double sampleRate, int blockSize)
    : mLibrary(library) {
  mContext.sampleRate = sampleRate;
  mContext.blockSize = blockSize;
  UpdateTimeInfo();
  const std::string error = Create(library.EntryFunction(), library.Path(), library.EntryName());
  if (!error.empty()) throw HostError(error);
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
}

PluginInstance::~PluginInstance() {
  Suspend();
  Close();
}

std::string PluginInstance::Text(VstInt32 opcode, VstInt32 index) {
  char buffer[1024] = {};
  Dispatch(opcode, index, 0, buffer);
  buffer[sizeof buffer - 1] = 0;
  std::string text = buffer;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  size_t lead = 0;
  while (lead < text.size() && (text[lead] == ' ' || text[lead] == '\t')) ++lead;
  return text.substr(lead);
}

std::string PluginInstance::Name() {
  std::string name = Text(effGetEffectName);
  if (name.empty()) name = Text(effGetProductString);
  if (name.empty()) name = BaseName(mLibrary.Path());
  return name;
}

std::string PluginInstance::ParamShown(int index) {
  const std::string display = ParamDisplay(index), label = ParamLabel(index);
  return label.empty() ? display : display + " " + label;
}

bool PluginInstance::SetArrangement(int inputs, int outputs) {
  auto typeFor = [](int n) {
    return n == 0 ? kSpeakerArrEmpty : n == 1 ? kSpeakerArrMono : n == 2 ? kSpeakerArrStereo
                                                                         : kSpeakerArrUserDefined;
  };
  VstSpeakerArrangement in{}, out{};
  in.type = typeFor(inputs);
  in.numChannels = inputs;
  out.type = typeFor(outputs);
  out.numChannels = outputs;
  for (VstSpeakerArrangement* a : {&in, &out})
    for (int i = 0; i < a->numChannels && i < 8; ++i) a->speakers[i].type = a->type == kSpeakerArrMono ? 0 : 1 + i;
  return Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out) != 0;
}

void PluginInstance::Resume() {
  if (mActive) return;
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  mActive = true;
}

void PluginInstance::Suspend() {
  if (!mActive) return;
  Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  mActive = false;
}

void PluginInstance::AdvanceTransport(int frames) {
  mContext.samplePos += frames;
  UpdateTimeInfo();
}

// A steady 120 BPM, 4/4 transport that plays from the start of the file.
void PluginInstance::UpdateTimeInfo() {
  VstTimeInfo& t = mContext.timeInfo;
  t = VstTimeInfo{};
  t.samplePos = mContext.samplePos;
  t.sampleRate = mContext.sampleRate;
  t.tempo = 120.0;
  t.ppqPos = mContext.samplePos / mContext.sampleRate * (t.tempo / 60.0);
  t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
  t.timeSigNumerator = 4;
  t.timeSigDenominator = 4;
  t.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
}

VstIntPtr PluginInstance::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  auto copy = [ptr](const char* text, size_t size) {
    if (!ptr) return VstIntPtr{0};
    std::snprintf(static_cast<char*>(ptr), size, "%s", text);
    return VstIntPtr{1};
  };
  auto report = [this](EditReport::Kind kind, VstInt32 param, float x) {
    if (onEdit) onEdit({kind, param, x});
    return VstIntPtr{onEdit ? 1 : 0};
  };
  switch (opcode) {
    case audioMasterAutomate: return report(EditReport::kChange, index, opt);
    case audioMasterBeginEdit: return report(EditReport::kBegin, index, 0.0f);
    case audioMasterEndEdit: return report(EditReport::kEnd, index, 0.0f);
    case audioMasterSizeWindow: return onSizeWindow && onSizeWindow(index, int(value)) ? 1 : 0;
    case audioMasterVersion: return 2400;
    case audioMasterCurrentId: return Effect() ? Effect()->uniqueID : 0;
    case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&mContext.timeInfo);
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(mContext.sampleRate);
    case audioMasterGetBlockSize: return mContext.blockSize;
    case audioMasterGetCurrentProcessLevel: return kVstProcessLevelOffline;
    case audioMasterGetVendorString: return copy("Quenmarrow", kVstMaxVendorStrLen);
    case audioMasterGetProductString: return copy("verlo-host", kVstMaxProductStrLen);
    case audioMasterGetVendorVersion: return 10000;
    case audioMasterCanDo: {
      if (!ptr) return 0;
      const std::string what = static_cast<const char*>(ptr);
      if (what == "sizeWindow") return onSizeWindow ? 1 : 0;
      return what == "sendVstTimeInfo" || what == "offline" || what == "supplyIdle" ? 1 : 0;
    }
    default: return 0;
  }
}

std::string FourCC(VstInt32 id) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
    s += (c >= 32 && c < 127) ? c : '.';
  }
  return s;
}

std::string BesideThisProgram(const std::string& relative) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) throw HostError("cannot find this program's folder: " + std::string(std::strerror(errno)));
  std::string dir(exe, size_t(n));
  dir.resize(dir.rfind('/') + 1);
  return dir + relative;
}
