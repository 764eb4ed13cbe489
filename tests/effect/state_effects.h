#pragma once
// Effects for the state tests: five parameters laid out like Verlo's, with or without state
// chunks, and one that keeps state beyond its parameters.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/effect/offline_host.h"

class FiveParams : public IEffectBase {
public:
  static constexpr int kID = 0x56524C31;  // 'VRL1'
  explicit FiveParams(int nPresets = 1, bool chunks = false, int uniqueID = kID)
      : IEffectBase(5, "2-2", nPresets, "Five", "Product", "Maker", 0x20000, uniqueID, 0x4d6b7231,
                    0, false, chunks, false, kAPIVST2) {
    GetParam(0)->InitDouble("FADE", 5.0, 5.0, 50.0, 0.01, "ms");
    GetParam(1)->InitDouble("CHOP", 0.22, 0.22, 1.0, 0.01, "ms");
    GetParam(2)->InitDouble("DRY", 0.0, 0.0, 1.0, 0.01, "%");
    GetParam(3)->InitDouble("OUTPUT", 0.0, -10.0, 10.0, 0.01, "dB");
    GetParam(4)->InitBool("BY", false);
  }
  void OnParamChange(int paramIdx) override { changes.push_back(paramIdx); }
  void PresetsChangedByHost() override { ++presetsChanged; }

  std::vector<int> changes;
  int presetsChanged = 0;
};

// Keeps one more value after its parameters, so only its own SerializeState can save it.
class ExtraState : public FiveParams {
public:
  ExtraState() : FiveParams(2, true) {}
  bool SerializeState(ByteChunk* chunk) override {
    if (!SerializeParams(chunk)) return false;
    const int before = chunk->Size();
    return chunk->Put(&extra) > before;
  }
  int UnserializeState(ByteChunk* chunk, int startPos) override {
    const int pos = UnserializeParams(chunk, startPos);
    return pos < 0 ? pos : chunk->Get(&extra, pos);
  }
  int32_t extra = 0;
};

using Five = OfflineHost<FiveParams>;
using Extra = OfflineHost<ExtraState>;

// Everything the state operations can change: live values and every slot.
struct Snapshot {
  std::vector<double> values;
  std::vector<std::string> names;
  std::vector<bool> flags;
  std::vector<std::vector<unsigned char>> chunks;
  int current = 0;
  bool operator==(const Snapshot& o) const {
    return values == o.values && names == o.names && flags == o.flags && chunks == o.chunks &&
           current == o.current;
  }
};

inline Snapshot Snap(const IEffectBase& e) {
  Snapshot s;
  for (int i = 0; i < e.NParams(); ++i) s.values.push_back(e.GetParam(i)->Value());
  for (int i = 0; i < e.NPresets(); ++i) {
    const IPreset* p = e.GetPreset(i);
    s.names.push_back(p->mName);
    s.flags.push_back(p->mInitialized);
    const unsigned char* b = p->mChunk.GetBytes();
    s.chunks.emplace_back(b, b + p->mChunk.Size());
  }
  s.current = e.GetCurrentPresetIdx();
  return s;
}

inline std::vector<unsigned char> Bytes(const ByteChunk& c) {
  return std::vector<unsigned char>(c.GetBytes(), c.GetBytes() + c.Size());
}

inline void Fill(ByteChunk* c, const std::vector<unsigned char>& bytes) {
  c->Clear();
  c->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
}
