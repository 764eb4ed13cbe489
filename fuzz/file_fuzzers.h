#pragma once
// Program and bank files as a user opens them: any bytes on disk, for effects of both forms.
#include "effect/fxformat/fxformat.h"
#include "fuzz/state_fuzz.h"

namespace fuzz {

// What the codec accepts, either way of reading, it writes as a file it reads back strictly to
// the same image, whichever byte-size convention it writes.
inline void FeedCodec(const uint8_t* data, size_t size) {
  using namespace fxformat;
  for (Reading reading : {Reading::kStrict, Reading::kLenient}) {
    File file;
    if (!ReadFile(data, size, reading, &file, nullptr)) continue;
    for (ByteSize sizes : {ByteSize::kWholeFileForChunks, ByteSize::kBytesAfterField}) {
      std::vector<unsigned char> image, again;
      auto write = [sizes](const File& f, std::vector<unsigned char>* out) {
        return f.isBank ? WriteBank(f.bank, sizes, out) : WriteProgram(f.program, sizes, out);
      };
      FUZZ_CHECK(write(file, &image));
      File reread;
      FUZZ_CHECK(ReadFile(image.data(), image.size(), Reading::kStrict, &reread, nullptr));
      FUZZ_CHECK(reread.isBank == file.isBank);
      FUZZ_CHECK(write(reread, &again) && again == image);
    }
  }
}

using Loader = bool (IEffectBase::*)(const KIT_String&);
using Saver = bool (IEffectBase::*)(const KIT_String&);

// A refused file changes nothing. An accepted one leaves a state the effect saves as a file that
// a fresh instance accepts; once a reload has settled it (see CheckBankReloads), reloading
// changes nothing more where the form keeps state exactly (chunks).
template <class Make> void FeedFile(Make make, const uint8_t* data, size_t size, Loader load, Saver save) {
  ScratchFile& scratch = Scratch();
  auto effect = make();
  const std::vector<unsigned char> before = StateImage(*effect);
  const bool accepted = ((*effect).*load)(scratch.Write(data, size));
  CheckNames(*effect);
  if (!accepted) {
    FUZZ_CHECK(StateImage(*effect) == before);
    return;
  }
  FUZZ_CHECK(((*effect).*save)(scratch.Path()));
  auto reloaded = make();
  FUZZ_CHECK(((*reloaded).*load)(scratch.Path()));
  FUZZ_CHECK(((*reloaded).*save)(scratch.Path()));
  auto again = make();
  FUZZ_CHECK(((*again).*load)(scratch.Path()));
  if (effect->DoesStateChunks()) FUZZ_CHECK(StateImage(*again) == StateImage(*reloaded));
}

inline void FeedFileToAll(const uint8_t* data, size_t size, Loader load, Saver save) {
  FeedCodec(data, size);
  FeedFile([] { return std::make_unique<Extra>(); }, data, size, load, save);
  FeedFile(MakeParamsBank, data, size, load, save);
  FeedFile([] { return std::make_unique<VerloEffect>(); }, data, size, load, save);
}

}  // namespace fuzz
