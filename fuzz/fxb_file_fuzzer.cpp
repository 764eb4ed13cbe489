// Any bytes opened as a bank file.
#include "fuzz/file_fuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FeedFileToAll(data, size, &IEffectBase::LoadBankFromFXB, &IEffectBase::SaveBankAsFXB);
  return 0;
}
