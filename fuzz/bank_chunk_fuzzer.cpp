// Any bytes a host sets as a bank chunk.
#include "fuzz/chunk_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FeedChunkToAll(data, size, true);
  return 0;
}
