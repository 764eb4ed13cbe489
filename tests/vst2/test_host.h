#pragma once
// A small VST 2 host for tests over the shared host core: loads the built plug-in, creates
// instances through the entry function and records everything the plug-in asks of the host.
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "effect/vst2/aeffect.h"
#include "tools/vst2host/hosted_effect.h"

// The built plug-in unless a test names another.
struct PluginLibrary : vst2host::PluginLibrary {
  explicit PluginLibrary(const char* path = VERLO_PLUGIN_PATH) : vst2host::PluginLibrary(path) {}
};

class TestHost : public vst2host::HostedEffect {
public:
  struct Call {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
    std::vector<unsigned char> midi;  // the first event's MIDI bytes for audioMasterProcessEvents
    VstInt32 eventType = 0;
  };

  explicit TestHost(vst2host::PluginLibrary& library, bool useMain = false)
      : TestHost(useMain ? library.MainFunction() : library.EntryFunction()) {}
  // An entry function linked into the test itself. Effect() is null when it made no instance.
  explicit TestHost(vst2host::PluginLibrary::Entry entry) { Create(entry, "test plug-in"); }
  ~TestHost() override { Close(); }

  using HostedEffect::Close;
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

protected:
  // Any thread the plug-in calls from; the record of calls is guarded by its mutex, the answers
  // are set before the calls that read them.
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override {
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

private:
  mutable std::mutex mCallsMutex;
  std::vector<Call> mCalls;
};
