// Any event list a host may send with effProcessEvents, to Verlo and to an effect that reads MIDI.
#include "fuzz/host_input_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::MidiReader reader;
  fuzz::FeedEvents(reader.GetAEffect(), data, size);
  Verlo verlo(IEffectInstanceInfo{});
  fuzz::FeedEvents(verlo.GetAEffect(), data, size);
  return 0;
}
