#pragma once
// The host chunk exchange as a host drives it: any bytes set as a program or a bank chunk.
#include "fuzz/state_fuzz.h"

namespace fuzz {

template <class Make> void FeedChunk(Make make, const uint8_t* data, size_t size, bool isBank) {
  auto effect = make();
  ByteChunk chunk;
  FillChunk(&chunk, data, size);
  const bool accepted = effect->SetStateChunkFromHost(&chunk, isBank);
  CheckNames(*effect);
  if (!accepted) return;
  CheckBankReloads(*effect, make);
  if constexpr (std::is_same_v<decltype(*effect), VerloEffect&>) CheckVerloProcesses(*effect);
}

inline void FeedChunkToAll(const uint8_t* data, size_t size, bool isBank) {
  FeedChunk([] { return std::make_unique<Extra>(); }, data, size, isBank);
  FeedChunk(MakeParamsBank, data, size, isBank);
  FeedChunk([] { return std::make_unique<VerloEffect>(); }, data, size, isBank);
}

}  // namespace fuzz
