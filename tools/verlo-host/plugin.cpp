#include "plugin.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <vector>

#include "error.h"
#include "text.h"

namespace {

thread_local PluginInstance* tCreating = nullptr;
// The record's spare fields belong to the plug-in or to nobody, so instances are found here.
std::map<AEffect*, PluginInstance*>& Instances() {
  static std::map<AEffect*, PluginInstance*> instances;
  return instances;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> SharedObjectsIn(const std::string& dir) {
  std::vector<std::string> found;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0 && IsFile(JoinPath(dir, name)))
        found.push_back(JoinPath(dir, name));
    }
    closedir(d);
  }
  return found;
}

// A bundle folder Foo.vst holds Foo.so; newer bundles keep it under Contents/x86_64-linux/.
std::string ResolveBundle(const std::string& path) {
  std::string stem = BaseName(path);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  for (const std::string& dir : {path, JoinPath(path, "Contents/x86_64-linux")}) {
    if (IsFile(JoinPath(dir, stem + ".so"))) return JoinPath(dir, stem + ".so");
    const std::vector<std::string> found = SharedObjectsIn(dir);
    if (found.size() == 1) return found[0];
    if (found.size() > 1)
      throw HostError("'" + path + "' holds several shared objects; name the one to load");
  }
  throw HostError("'" + path + "' is a folder without a plug-in (.so) in it");
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : mPath(path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    throw HostError("cannot open plug-in '" + path + "': " + std::strerror(errno));
  if (S_ISDIR(st.st_mode)) mPath = ResolveBundle(path);
  // dlopen searches the library path for names without a slash; the user meant this file.
  if (mPath.find('/') == std::string::npos) mPath = "./" + mPath;
  mHandle = dlopen(mPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
    throw HostError("'" + mPath + "' is not a loadable plug-in: " + std::string(dlerror()));
  for (const char* name : {"VSTPluginMain", "main"}) {
    if (void* sym = dlsym(mHandle, name)) {
      mEntry = reinterpret_cast<Entry>(sym);
      mEntryName = name;
      return;
    }
  }
  dlclose(mHandle);
  throw HostError("'" + mPath + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main");
}

PluginLibrary::~PluginLibrary() { dlclose(mHandle); }

PluginInstance::PluginInstance(PluginLibrary& library, double sampleRate, int blockSize)
    : mLibrary(library) {
  mContext.sampleRate = sampleRate;
  mContext.blockSize = blockSize;
  UpdateTimeInfo();
  // The plug-in may call back before we know its record; tCreating answers those calls.
  tCreating = this;
  AEffect* effect = library.EntryFunction()(&Callback);
  tCreating = nullptr;
  if (!effect)
    throw HostError("'" + library.Path() + "': the entry function " + library.EntryName() +
                    " returned no effect record");
  if (effect->magic != kEffectMagic) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(effect->magic));
    throw HostError("'" + library.Path() + "': the effect record has the magic " + hex +
                    " instead of 'VstP'; not a VST 2 plug-in");
  }
  mEffect = effect;
  Instances()[mEffect] = this;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
}

PluginInstance::~PluginInstance() {
  if (!mEffect) return;
  Suspend();
  Dispatch(effClose);
  Instances().erase(mEffect);
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
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

VstIntPtr PluginInstance::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt) {
  if (opcode == audioMasterVersion) return 2400;
  auto it = Instances().find(effect);
  PluginInstance* self = it != Instances().end() ? it->second : tCreating;
  return self ? self->Answer(opcode, index, value, ptr, opt) : 0;
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
    case audioMasterCurrentId: return mEffect ? mEffect->uniqueID : 0;
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
