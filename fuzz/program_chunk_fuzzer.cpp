// Any bytes a host sets as a program chunk.
#include "fuzz/chunk_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FeedChunkToAll(data, size, false);
  return 0;
}
