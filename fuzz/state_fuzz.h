#pragma once
// What the state fuzzers share: the effects they feed, a byte image of everything a state
// operation can change, the checks that stop a run, and a scratch file for the file loaders.
#include <cstdint>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <unistd.h>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/state_effects.h"

// Stops the run with the input kept by the fuzzer (or named by the replay) as the reproducer.
#define FUZZ_CHECK(condition)                                                          \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

namespace fuzz {

using VerloEffect = OfflineHost<Verlo>;
// Three slots, values in the slots only.
inline std::unique_ptr<Five> MakeParamsBank() { return std::make_unique<Five>(3, false); }

inline void FillChunk(ByteChunk* chunk, const uint8_t* data, size_t size) {
  const int n = static_cast<int>(size);
  FUZZ_CHECK(chunk->Resize(n) == n);
  if (n > 0) std::memcpy(chunk->GetBytes(), data, size);
}

// Live state, current slot and every slot, taken without changing anything.
inline std::vector<unsigned char> StateImage(IEffectBase& effect) {
  ByteChunk image;
  FUZZ_CHECK(effect.SerializeState(&image));
  FUZZ_CHECK(effect.SerializePresets(&image));
  const int32_t current = effect.GetCurrentPresetIdx();
  image.Put(&current);
  return Bytes(image);
}

// Slot names stay terminated inside their fields whatever a reader was given.
inline void CheckNames(const IEffectBase& effect) {
  for (int i = 0; i < effect.NPresets(); ++i) {
    const IPreset* preset = effect.GetPreset(i);
    FUZZ_CHECK(std::memchr(preset->mName, 0, sizeof preset->mName) != nullptr);
  }
}

// What a host reads back after any accepted state is a state the plug-in accepts again. A reload
// may still settle things (a current slot left uninitialised gets its default name and values),
// but the state a reload gives reloads unchanged.
template <class Make> void CheckBankReloads(IEffectBase& effect, Make make) {
  ByteChunk first, second, third;
  FUZZ_CHECK(effect.GetStateChunkForHost(&first, true));
  auto reloaded = make();
  FUZZ_CHECK(reloaded->SetStateChunkFromHost(&first, true));
  FUZZ_CHECK(reloaded->GetStateChunkForHost(&second, true));
  auto again = make();
  FUZZ_CHECK(again->SetStateChunkFromHost(&second, true));
  FUZZ_CHECK(again->GetStateChunkForHost(&third, true));
  FUZZ_CHECK(Bytes(second) == Bytes(third));
}

// Verlo keeps producing finite audio from any state it accepted.
inline void CheckVerloProcesses(VerloEffect& verlo) {
  constexpr int kFrames = 64;
  verlo.Prepare(44100.0, kFrames, 2, 2);
  double left[kFrames], right[kFrames], outLeft[kFrames], outRight[kFrames];
  for (int i = 0; i < kFrames; ++i) left[i] = right[i] = 1.0;
  double* in[2] = {left, right};
  double* out[2] = {outLeft, outRight};
  verlo.ProcessHostBlock(in, out, kFrames);
  for (int i = 0; i < kFrames; ++i) FUZZ_CHECK(std::isfinite(outLeft[i]) && std::isfinite(outRight[i]));
}

// One file per process, rewritten for every input, where the file loaders read it.
class ScratchFile {
public:
  ScratchFile() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(dir) + "/verlo-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    const int fd = mkstemp(name.data());
    FUZZ_CHECK(fd >= 0);
    close(fd);
    mPath.Set(name.data());
  }
  ~ScratchFile() { unlink(mPath.Get()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const KIT_String& Write(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(mPath.Get(), "wb");
    FUZZ_CHECK(file);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
    return mPath;
  }
  const KIT_String& Path() const { return mPath; }

private:
  KIT_String mPath;
};

inline ScratchFile& Scratch() {
  static ScratchFile file;
  return file;
}

}  // namespace fuzz
