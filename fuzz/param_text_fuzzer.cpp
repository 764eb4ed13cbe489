// Any text a host sets a parameter by (effString2Parameter), for every parameter of Verlo and of
// an effect with display texts; the display and the normalised value stay sound.
#include "fuzz/host_input_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::MidiReader reader;
  fuzz::FeedText(reader.GetAEffect(), data, size);
  Verlo verlo(IEffectInstanceInfo{});
  fuzz::FeedText(verlo.GetAEffect(), data, size);
  return 0;
}
