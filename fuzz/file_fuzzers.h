#pragma once
// Program and bank files as a user opens them: any bytes on disk, for effects of both forms.
#include "fuzz/state_fuzz.h"

namespace fuzz {

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
  FeedFile([] { return std::make_unique<Extra>(); }, data, size, load, save);
  FeedFile(MakeParamsBank, data, size, load, save);
  FeedFile([] { return std::make_unique<VerloEffect>(); }, data, size, load, save);
}

}  // namespace fuzz
