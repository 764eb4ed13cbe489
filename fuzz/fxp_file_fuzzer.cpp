// Any bytes opened as a program file.
#include "fuzz/file_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FeedFileToAll(data, size, &IEffectBase::LoadProgramFromFXP, &IEffectBase::SaveProgramAsFXP);
  return 0;
}
