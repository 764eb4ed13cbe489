#pragma once
// What a host hands the dispatcher besides state: event lists and parameter texts, fed through
// the effect record's dispatcher as a host calls it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "effect/IEffectVST.h"
#include "examples/Verlo/Verlo.h"
#include "fuzz/state_fuzz.h"

namespace fuzz {

// An effect that takes MIDI and reads every byte of every message it is given.
class MidiReader : public IEffectVST {
public:
  MidiReader() : IEffectVST(IEffectInstanceInfo{}, 1, "2-2", 1, "Midi", "", "Fuzz", 0x10000, 1, 2, 0, true, false, true, 0) {
    GetParam(0)->InitEnum("MODE", 0, 3);
    GetParam(0)->SetDisplayText(0, "Off");
    GetParam(0)->SetDisplayText(1, "On");
  }
  void ProcessMidiMsg(IMidiMsg* msg) override {
    sum += msg->mStatus + msg->mData1 + msg->mData2 + static_cast<unsigned>(msg->mOffset);
  }
  void ProcessSysEx(ISysEx* msg) override {
    for (int i = 0; i < msg->mSize; ++i) sum += msg->mData[i];
  }
  unsigned sum = 0;
};

// Reads bytes from the front of the input; zeros once it runs out.
class Reader {
public:
  Reader(const uint8_t* data, size_t size) : mData(data), mLeft(size) {}
  template <class T> T Take() {
    T value{};
    const size_t n = mLeft < sizeof value ? mLeft : sizeof value;
    if (n) std::memcpy(&value, mData, n);  // an empty input may come as a null pointer
    mData += n;
    mLeft -= n;
    return value;
  }
  const uint8_t* Rest() const { return mData; }
  size_t Left() const { return mLeft; }

private:
  const uint8_t* mData;
  size_t mLeft;
};

// Builds an event list a host could send: up to 16 MIDI and SysEx events (and events of other
// types), with the fields the bytes give; SysEx dumps point into the input and say its length.
inline void FeedEvents(AEffect* effect, const uint8_t* data, size_t size) {
  Reader in(data, size);
  const int n = in.Take<uint8_t>() % 17;
  std::vector<VstMidiEvent> midi(static_cast<size_t>(n));
  std::vector<VstMidiSysexEvent> sysex(static_cast<size_t>(n));
  std::vector<uint8_t> events(sizeof(VstEvents) + sizeof(VstEvent*) * static_cast<size_t>(n), 0);
  VstEvents* list = reinterpret_cast<VstEvents*>(events.data());
  list->numEvents = n;
  for (int i = 0; i < n; ++i) {
    const uint8_t kind = in.Take<uint8_t>();
    VstEvent* event = nullptr;
    if (kind % 3 == 1) {
      VstMidiSysexEvent& s = sysex[static_cast<size_t>(i)];
      s.type = kVstSysExType;
      s.byteSize = sizeof s;
      s.deltaFrames = in.Take<int32_t>();
      const size_t dump = in.Take<uint8_t>();
      s.dumpBytes = static_cast<VstInt32>(dump < in.Left() ? dump : in.Left());
      s.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(in.Rest()));
      event = reinterpret_cast<VstEvent*>(&s);
    } else if (kind % 3 == 2) {
      event = nullptr;  // hosts have been seen to leave holes
    } else {
      VstMidiEvent& m = midi[static_cast<size_t>(i)];
      m.type = kind & 0x80 ? kVstMidiType : static_cast<VstInt32>(kind);
      m.byteSize = sizeof m;
      m.deltaFrames = in.Take<int32_t>();
      for (char& b : m.midiData) b = static_cast<char>(in.Take<uint8_t>());
      event = reinterpret_cast<VstEvent*>(&m);
    }
    reinterpret_cast<VstEvent**>(list->events)[i] = event;
  }
  effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
}

// Any text, not necessarily terminated within what the host allocated, for every parameter.
inline void FeedText(AEffect* effect, const uint8_t* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back(0);  // hosts pass C strings; what comes before the end is anything at all
  for (int i = -1; i <= effect->numParams; ++i) {
    effect->dispatcher(effect, effString2Parameter, i, 0, text.data(), 0.0f);
    char display[256] = {};
    effect->dispatcher(effect, effGetParamDisplay, i, 0, display, 0.0f);
    FUZZ_CHECK(std::memchr(display, 0, sizeof display) != nullptr);
    if (i >= 0 && i < effect->numParams) {
      const float value = effect->getParameter(effect, i);
      FUZZ_CHECK(value >= 0.0f && value <= 1.0f);
    }
  }
}

}  // namespace fuzz
