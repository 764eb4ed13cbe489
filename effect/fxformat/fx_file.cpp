// Program and bank files: big-endian readers that check every length first, and their writers.
#include <cstring>
#include <limits>

#include "effect/fxformat/fxformat.h"
#include "kit/kitcstring.h"

namespace fxformat {
namespace {

constexpr size_t kMaxField = static_cast<size_t>(std::numeric_limits<int32_t>::max());

const char kNotAFile[] = "it does not start with 'CcnK'";
const char kEndsEarly[] = "it ends early";
const char kUnknownKind[] = "unknown kind (neither FxCk, FPCh, FxBk nor FBCh)";

uint32_t LoadU32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// Walks the input front to back; a read that does not fit fails and moves nothing.
class Input {
public:
  Input(const unsigned char* data, size_t size, std::string* error) : mData(data), mSize(size), mError(error) {}

  size_t Left() const { return mSize - mPos; }

  bool Fail(const std::string& why) {
    if (mError) *mError = why;
    return false;
  }

  bool U32(uint32_t* value) {
    if (Left() < 4) return Fail(kEndsEarly);
    *value = LoadU32(mData + mPos);
    mPos += 4;
    return true;
  }
  bool I32(int32_t* value) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    *value = static_cast<int32_t>(bits);
    return true;
  }
  bool Floats(size_t n, std::vector<float>* values) {
    if (Left() / 4 < n) return Fail(kEndsEarly);
    values->resize(n);
    for (float& value : *values) {
      const uint32_t bits = LoadU32(mData + mPos);
      memcpy(&value, &bits, sizeof value);
      mPos += 4;
    }
    return true;
  }
  // A field without terminator gives its first 27 bytes.
  bool Name(std::string* name) {
    if (Left() < kNameSize) return Fail(kEndsEarly);
    char field[kNameSize];
    CopyNameField(field, sizeof field, reinterpret_cast<const char*>(mData + mPos), kNameSize);
    name->assign(field);
    mPos += kNameSize;
    return true;
  }
  bool Bytes(size_t n, std::vector<unsigned char>* bytes) {
    if (Left() < n) return Fail(kEndsEarly);
    bytes->assign(mData + mPos, mData + mPos + n);
    mPos += n;
    return true;
  }
  bool Skip(size_t n) {
    if (Left() < n) return Fail(kEndsEarly);
    mPos += n;
    return true;
  }

private:
  const unsigned char* mData;
  size_t mSize;
  size_t mPos = 0;
  std::string* mError;
};

bool IsProgramForm(uint32_t form) { return form == kProgramParamsForm || form == kProgramChunkForm; }
bool IsBankForm(uint32_t form) { return form == kBankParamsForm || form == kBankChunkForm; }

// "CcnK", the byte size (not relied on) and the form.
bool ReadHead(Input* in, uint32_t* form, const std::string& notAFile) {
  uint32_t magic = 0;
  if (in->Left() < 4 || !in->U32(&magic) || magic != kFileMagic) return in->Fail(notAFile);
  return in->Skip(4) && in->U32(form);
}

// The head of a whole file, which must be of the kind asked for.
bool ReadFileHead(Input* in, bool bank, uint32_t* form) {
  if (!ReadHead(in, form, kNotAFile)) return false;
  if (bank ? IsProgramForm(*form) : IsBankForm(*form))
    return in->Fail(bank ? "it holds a program, not a bank" : "it holds a bank, not a program");
  if (!(bank ? IsBankForm(*form) : IsProgramForm(*form))) return in->Fail(kUnknownKind);
  return true;
}

// A chunk after its size field: as declared, or (lenient, in a file) whatever follows.
bool ReadChunk(Input* in, Reading reading, std::vector<unsigned char>* chunk) {
  int32_t size = 0;
  if (!in->I32(&size)) return false;
  if (reading == Reading::kLenient) return in->Bytes(in->Left(), chunk);
  if (size < 0) return in->Fail("negative chunk size");
  return in->Bytes(static_cast<size_t>(size), chunk);
}

// A program from the format version on. A record of a bank always takes its declared values.
bool ReadProgramBody(Input* in, Form form, Reading reading, bool isRecord, Program* out) {
  out->form = form;
  if (!in->I32(&out->formatVersion) || !in->I32(&out->uniqueId) || !in->I32(&out->fxVersion) ||
      !in->I32(&out->numParams) || !in->Name(&out->name))
    return false;
  if (form == Form::kChunk) return ReadChunk(in, reading, &out->chunk);
  if (reading == Reading::kLenient && !isRecord) return in->Floats(in->Left() / 4, &out->params);
  if (out->numParams < 0) return in->Fail("negative parameter count");
  return in->Floats(static_cast<size_t>(out->numParams), &out->params);
}

Form FormOf(uint32_t form) {
  return form == kProgramChunkForm || form == kBankChunkForm ? Form::kChunk : Form::kParams;
}

// Image assembly: big-endian fields appended, the size field patched in at the end.
class Output {
public:
  explicit Output(std::vector<unsigned char>* out) : mOut(out) { mOut->clear(); }

  void U32(uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    mOut->insert(mOut->end(), bytes, bytes + 4);
  }
  void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
  void Name(const std::string& name) {
    char field[kNameSize] = {};
    CopyNameField(field, sizeof field, name.c_str(), name.size());
    mOut->insert(mOut->end(), field, field + sizeof field);
  }
  void Bytes(const unsigned char* bytes, size_t n) { mOut->insert(mOut->end(), bytes, bytes + n); }
  void Zeros(size_t n) { mOut->insert(mOut->end(), n, 0); }
  size_t Size() const { return mOut->size(); }
  void PatchU32(size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) (*mOut)[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
  }
  bool Fail() {
    mOut->clear();
    return false;
  }

private:
  std::vector<unsigned char>* mOut;
};

// The record or file from "CcnK" to its last value; the byte size is patched by the caller.
bool WriteProgramImage(Output* out, const Program& p, Form form, int32_t formatVersion, int32_t uniqueId,
                       int32_t fxVersion) {
  const size_t count = form == Form::kChunk ? p.chunk.size() : p.params.size();
  if (count > kMaxField) return false;
  out->U32(kFileMagic);
  out->U32(0);
  out->U32(form == Form::kChunk ? kProgramChunkForm : kProgramParamsForm);
  out->I32(formatVersion);
  out->I32(uniqueId);
  out->I32(fxVersion);
  out->I32(form == Form::kChunk ? p.numParams : static_cast<int32_t>(count));
  out->Name(p.name);
  if (form == Form::kChunk) {
    out->I32(static_cast<int32_t>(count));
    out->Bytes(p.chunk.data(), count);
  } else {
    for (float value : p.params) {
      uint32_t bits;
      memcpy(&bits, &value, sizeof bits);
      out->U32(bits);
    }
  }
  return true;
}

// The size field of the CcnK block that starts at start and ends where the image now ends.
bool PatchByteSize(Output* out, size_t start, ByteSize sizes, bool chunkForm) {
  const size_t length = out->Size() - start;
  if (length > kMaxField) return false;
  if (sizes == ByteSize::kBytesAfterField)
    out->PatchU32(start + kByteSizeOffset, static_cast<uint32_t>(length - kByteSizeOffset - 4));
  else if (chunkForm)
    out->PatchU32(start + kByteSizeOffset, static_cast<uint32_t>(length));
  return true;
}

}  // namespace

bool ReadProgram(const unsigned char* data, size_t size, Reading reading, Program* out, std::string* error) {
  Input in(data, size, error);
  uint32_t form = 0;
  if (!ReadFileHead(&in, false, &form)) return false;
  *out = Program{};
  return ReadProgramBody(&in, FormOf(form), reading, false, out);
}

bool ReadBank(const unsigned char* data, size_t size, Reading reading, Bank* out, std::string* error) {
  Input in(data, size, error);
  uint32_t form = 0;
  if (!ReadFileHead(&in, true, &form)) return false;
  *out = Bank{};
  out->form = FormOf(form);
  if (!in.I32(&out->formatVersion) || !in.I32(&out->uniqueId) || !in.I32(&out->fxVersion) ||
      !in.I32(&out->numPrograms) || !in.I32(&out->currentProgram) || !in.Skip(kBankReservedSize))
    return false;
  if (out->form == Form::kChunk) return ReadChunk(&in, reading, &out->chunk);
  if (out->numPrograms < 0 && reading == Reading::kStrict) return in.Fail("negative program count");
  for (int32_t i = 0; i < out->numPrograms; ++i) {
    const std::string which = "program " + std::to_string(i);
    uint32_t recordForm = 0;
    if (!ReadHead(&in, &recordForm, which + " has no 'CcnK'")) return false;
    if (recordForm != kProgramParamsForm) return in.Fail(which + " is not 'FxCk'");
    out->programs.emplace_back();
    if (!ReadProgramBody(&in, Form::kParams, reading, true, &out->programs.back())) return false;
  }
  return true;
}

bool ReadFile(const unsigned char* data, size_t size, Reading reading, File* out, std::string* error) {
  out->isBank = size >= kFormOffset + 4 && IsBankForm(LoadU32(data + kFormOffset));
  return out->isBank ? ReadBank(data, size, reading, &out->bank, error)
                     : ReadProgram(data, size, reading, &out->program, error);
}

bool WriteProgram(const Program& program, ByteSize sizes, std::vector<unsigned char>* out) {
  Output image(out);
  if (!WriteProgramImage(&image, program, program.form, program.formatVersion, program.uniqueId,
                         program.fxVersion) ||
      !PatchByteSize(&image, 0, sizes, program.form == Form::kChunk))
    return image.Fail();
  return true;
}

bool WriteBank(const Bank& bank, ByteSize sizes, std::vector<unsigned char>* out) {
  Output image(out);
  const bool chunkForm = bank.form == Form::kChunk;
  if ((chunkForm ? bank.chunk.size() : bank.programs.size()) > kMaxField) return image.Fail();
  image.U32(kFileMagic);
  image.U32(0);
  image.U32(chunkForm ? kBankChunkForm : kBankParamsForm);
  image.I32(bank.formatVersion);
  image.I32(bank.uniqueId);
  image.I32(bank.fxVersion);
  image.I32(chunkForm ? bank.numPrograms : static_cast<int32_t>(bank.programs.size()));
  image.I32(bank.currentProgram);
  image.Zeros(kBankReservedSize);
  if (chunkForm) {
    image.I32(static_cast<int32_t>(bank.chunk.size()));
    image.Bytes(bank.chunk.data(), bank.chunk.size());
  } else {
    for (const Program& program : bank.programs) {
      const size_t start = image.Size();
      if (!WriteProgramImage(&image, program, Form::kParams, kProgramFormatVersion, bank.uniqueId, bank.fxVersion) ||
          !PatchByteSize(&image, start, sizes, false))
        return image.Fail();
    }
  }
  if (!PatchByteSize(&image, 0, sizes, chunkForm)) return image.Fail();
  return true;
}

size_t CopyNameField(char* dst, size_t dstSize, const char* src, size_t srcMax) {
  size_t n = KIT_CopyStringN(dst, dstSize, src, srcMax);
  const bool cut = src && n < srcMax && src[n] != 0;
  if (!cut) return n;
  // Walk back over at most three continuation bytes to the lead byte of the last sequence.
  size_t lead = n;
  while (lead > 0 && n - lead < 3 && (static_cast<unsigned char>(dst[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return n;
  const unsigned char c = static_cast<unsigned char>(dst[lead - 1]);
  const size_t seqLen = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (seqLen > 1 && n - (lead - 1) < seqLen) {
    n = lead - 1;
    dst[n] = 0;
  }
  return n;
}

}  // namespace fxformat
