#pragma once
// The host chunk exchange as a host drives it: any bytes set as a program or a bank chunk.
#include "effect/fxformat/fxformat.h"
#include "fuzz/state_fuzz.h"

namespace fuzz {

// The layout walk a host does to show a bank chunk stays inside the bytes and always moves on.
inline void WalkStateLayout(const uint8_t* data, size_t size) {
  int32_t version = 0;
  int pos = fxformat::ReadStateHeader(data, size, 0, &version);
  while (pos >= 0) {
    std::string name;
    bool initialized = false;
    const int next = fxformat::ReadPresetHead(data, size, pos, &name, &initialized);
    if (next < 0) break;
    FUZZ_CHECK(next > pos && static_cast<size_t>(next) <= size);
    pos = next;
    if (initialized) pos += static_cast<int>(fxformat::ReadStateValues(data, size, size_t(pos), 5).size() * sizeof(double));
  }
}

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
  WalkStateLayout(data, size);
  FeedChunk([] { return std::make_unique<Extra>(); }, data, size, isBank);
  FeedChunk(MakeParamsBank, data, size, isBank);
  FeedChunk([] { return std::make_unique<VerloEffect>(); }, data, size, isBank);
}

}  // namespace fuzz
