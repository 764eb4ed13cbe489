// Writes the seed corpus of the state fuzzers: valid chunks and files of every form the effects
// produce, and truncated and corrupted variants of each. Usage: make_seeds CORPUS_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "effect/fxformat/fxformat.h"
#include "fuzz/state_fuzz.h"

namespace {
using Blob = std::vector<unsigned char>;
namespace fs = std::filesystem;

void WriteSeed(const fs::path& dir, const std::string& name, const Blob& bytes) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Blob ReadFile(const KIT_String& path) {
  std::ifstream in(path.Get(), std::ios::binary);
  return Blob((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The valid seed, then variants that stop early or carry damaged fields.
void WriteWithVariants(const fs::path& dir, const std::string& name, const Blob& valid) {
  WriteSeed(dir, name, valid);
  WriteSeed(dir, name + "-half", Blob(valid.begin(), valid.begin() + valid.size() / 2));
  WriteSeed(dir, name + "-short1", Blob(valid.begin(), valid.end() - 1));
  WriteSeed(dir, name + "-first4", Blob(valid.begin(), valid.begin() + std::min<size_t>(4, valid.size())));
  for (size_t at : {size_t{4}, size_t{8}, size_t{12}, size_t{24}, valid.size() / 2}) {
    if (at + 4 > valid.size()) continue;
    Blob damaged = valid;
    for (size_t i = at; i < at + 4; ++i) damaged[i] = 0xff;
    WriteSeed(dir, name + "-ff@" + std::to_string(at), damaged);
  }
}

template <class Effect> void SetSomeValues(Effect& effect) {
  effect.GetParam(0)->Set(12.5);
  effect.GetParam(1)->Set(0.5);
  effect.GetParam(2)->Set(0.3);
  effect.GetParam(3)->Set(-4.0);
  effect.GetParam(4)->Set(1.0);
}

template <class Effect> void WriteChunks(const fs::path& root, const std::string& name, Effect& effect) {
  ByteChunk program, bank, headerless;
  effect.GetStateChunkForHost(&program, false);
  effect.GetStateChunkForHost(&bank, true);
  effect.SerializeState(&headerless);
  for (const char* dir : {"program_chunk", "bank_chunk"}) {
    WriteWithVariants(root / dir, name + "-program", Bytes(program));
    WriteWithVariants(root / dir, name + "-bank", Bytes(bank));
    WriteSeed(root / dir, name + "-headerless", Bytes(headerless));
  }
  // A bank under a header older than the bank layout.
  Blob old = Bytes(bank);
  fxformat::WriteStateHeader(old.data(), 0x0000FFFF);
  WriteSeed(root / "bank_chunk", name + "-bank-old-version", old);
}

template <class Effect> void WriteFiles(const fs::path& root, const std::string& name, Effect& effect) {
  fuzz::ScratchFile& scratch = fuzz::Scratch();
  effect.SaveProgramAsFXP(scratch.Path());
  const Blob fxp = ReadFile(scratch.Path());
  effect.SaveBankAsFXB(scratch.Path());
  const Blob fxb = ReadFile(scratch.Path());
  WriteWithVariants(root / "fxp_file", name, fxp);
  WriteWithVariants(root / "fxb_file", name, fxb);
  // The same bytes under the other file kind's loader.
  WriteSeed(root / "fxp_file", name + "-bank-file", fxb);
  WriteSeed(root / "fxb_file", name + "-program-file", fxp);
  // Format version 2 and a name field with no terminator.
  fxformat::Program program;
  Blob version2;
  if (fxformat::ReadProgram(fxp.data(), fxp.size(), fxformat::Reading::kStrict, &program, nullptr)) {
    program.formatVersion = 2;
    fxformat::WriteProgram(program, fxformat::ByteSize::kWholeFileForChunks, &version2);
    WriteSeed(root / "fxp_file", name + "-version2", version2);
  }
  Blob longName = fxp;
  for (size_t i = fxformat::kNameOffset; i < fxformat::kNameOffset + fxformat::kNameSize && i < longName.size(); ++i)
    longName[i] = 'N';
  WriteSeed(root / "fxp_file", name + "-unterminated-name", longName);
  // A bank claiming more programs than it holds: the count's high byte.
  Blob manyPrograms = fxb;
  if (manyPrograms.size() >= fxformat::kCountOffset + 4) manyPrograms[fxformat::kCountOffset] = 0x7f;
  WriteSeed(root / "fxb_file", name + "-many-programs", manyPrograms);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
    return 2;
  }
  const fs::path root(argv[1]);

  fuzz::VerloEffect verlo;
  SetSomeValues(verlo);
  WriteChunks(root, "verlo", verlo);
  WriteFiles(root, "verlo", verlo);

  auto bank = fuzz::MakeParamsBank();
  SetSomeValues(*bank);
  bank->ModifyCurrentPreset("first slot");
  WriteChunks(root, "params3", *bank);
  WriteFiles(root, "params3", *bank);

  Extra extra;
  SetSomeValues(extra);
  extra.extra = 0x12345678;
  extra.ModifyCurrentPreset("chunk slot");
  WriteChunks(root, "chunks2", extra);
  WriteFiles(root, "chunks2", extra);

  WriteSeed(root / "program_chunk", "empty", {});
  WriteSeed(root / "bank_chunk", "empty", {});
  WriteSeed(root / "fxp_file", "empty", {});
  WriteSeed(root / "fxb_file", "empty", {});
  return 0;
}
