#pragma once
// A small VST 2 host for tests: loads the built plug-in with dlopen, creates instances through
// the entry function and records everything the plug-in asks of the host.
#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "effect/vst2/aeffect.h"

class PluginLibrary {
public:
  explicit PluginLibrary(const char* path = VERLO_PLUGIN_PATH) {
    mHandle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!mHandle) {
      mError = dlerror();
      return;
    }
    mEntry = reinterpret_cast<Entry>(dlsym(mHandle, "VSTPluginMain"));
    mMain = reinterpret_cast<Entry>(dlsym(mHandle, "main"));
  }
  ~PluginLibrary() {
    if (mHandle) dlclose(mHandle);
  }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  using Entry = AEffect* (*)(audioMasterCallback);
  bool Loaded() const { return mHandle && mEntry; }
  const std::string& Error() const { return mError; }
  Entry EntryFunction() const { return mEntry; }
  Entry MainFunction() const { return mMain; }

private:
  void* mHandle = nullptr;
  Entry mEntry = nullptr;
  Entry mMain = nullptr;
  std::string mError;
};

class TestHost {
public:
  struct Call {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
    std::vector<unsigned char> midi;  // the first event's MIDI bytes for audioMasterProcessEvents
    VstInt32 eventType = 0;
  };

  explicit TestHost(PluginLibrary& library, bool useMain = false)
      : TestHost(useMain ? library.MainFunction() : library.EntryFunction()) {}
  // An entry function linked into the test itself.
  explicit TestHost(PluginLibrary::Entry entry) {
    sCreating = this;
    mEffect = entry ? entry(&Callback) : nullptr;
    sCreating = nullptr;
    if (mEffect) mEffect->user = this;
  }
  ~TestHost() { Close(); }
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  AEffect* Effect() const { return mEffect; }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
  }
  void Close() {
    if (mEffect) Dispatch(effClose);
    mEffect = nullptr;
  }
  // What a DAW does before playing: open, rate, block size, resume.
  void Start(float sampleRate = 44100.0f, int blockSize = 512) {
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
  }

  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    return mCalls;
  }
  std::vector<Call> CallsWith(VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    std::vector<Call> found;
    for (const Call& c : mCalls)
      if (c.opcode == opcode) found.push_back(c);
    return found;
  }
  void ClearCalls() {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    mCalls.clear();
  }

  // Answers the plug-in gets.
  std::string productString = "Test Host";
  VstIntPtr vendorVersion = 10203;
  VstIntPtr processLevel = 0;
  VstIntPtr eventsAnswer = 1;
  bool answerTime = true;
  VstTimeInfo timeInfo{};

private:
  static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt) {
    TestHost* host = effect && effect->user ? static_cast<TestHost*>(effect->user) : sCreating;
    return host ? host->Answer(opcode, index, value, ptr, opt) : 0;
  }

  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Call call{opcode, index, value, opt, {}, 0};
    if (opcode == audioMasterProcessEvents && ptr) {
      const VstEvents* events = static_cast<const VstEvents*>(ptr);
      if (events->numEvents > 0 && events->events[0]) {
        call.eventType = events->events[0]->type;
        if (call.eventType == kVstMidiType) {
          const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(events->events[0]);
          call.midi.assign(midi->midiData, midi->midiData + 4);
          call.value = midi->deltaFrames;
        }
      }
    }
    {
      std::lock_guard<std::mutex> lock(mCallsMutex);
      mCalls.push_back(call);
    }
    switch (opcode) {
      case audioMasterVersion: return 2400;
      case audioMasterGetProductString:
        productString.copy(static_cast<char*>(ptr), 63);
        static_cast<char*>(ptr)[std::min<size_t>(productString.size(), 63)] = 0;
        return 1;
      case audioMasterGetVendorVersion: return vendorVersion;
      case audioMasterGetCurrentProcessLevel: return processLevel;
      case audioMasterGetTime: return answerTime ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
      case audioMasterProcessEvents: return eventsAnswer;
      default: return 0;
    }
  }

  AEffect* mEffect = nullptr;
  mutable std::mutex mCallsMutex;
  std::vector<Call> mCalls;
  static inline thread_local TestHost* sCreating = nullptr;
};
