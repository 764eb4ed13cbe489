#pragma once
// Program (.fxp) and bank (.fxb) files and the layout of the framework's state chunks, as bytes
// in and records out, with no plug-in behind them: the plug-in core, verlo-host and the fuzzers
// all read and write these formats here.
//
// File integers and floats are big-endian; the state chunks a file carries are little-endian and
// copied unchanged. Readers check every size against the input before they touch it and say what
// is wrong in words; writers produce the whole image. Plain functions on the caller's thread; they
// allocate, so never on the audio path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fxformat {

// Four-character codes are stored so that their bytes read as the text.
constexpr uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr uint32_t kFileMagic = FourCC("CcnK");
constexpr uint32_t kProgramParamsForm = FourCC("FxCk");
constexpr uint32_t kProgramChunkForm = FourCC("FPCh");
constexpr uint32_t kBankParamsForm = FourCC("FxBk");
constexpr uint32_t kBankChunkForm = FourCC("FBCh");
constexpr int32_t kProgramFormatVersion = 1;
constexpr int32_t kBankFormatVersion = 2;

// Where the fields are: the same in a program file and in each program record of a bank.
constexpr size_t kByteSizeOffset = 4;
constexpr size_t kFormOffset = 8;
constexpr size_t kFormatVersionOffset = 12;
constexpr size_t kUniqueIdOffset = 16;
constexpr size_t kFxVersionOffset = 20;
constexpr size_t kCountOffset = 24;  // parameters of a program, programs of a bank
constexpr size_t kNameOffset = 28;   // programs
constexpr size_t kCurrentProgramOffset = 28;  // banks
constexpr size_t kNameSize = 28;     // 27 bytes of name and at least one NUL
constexpr size_t kProgramHeaderSize = 56;
constexpr size_t kBankReservedSize = 124;
constexpr size_t kBankHeaderSize = 156;
constexpr size_t kChunkSizeSize = 4;  // the chunk forms' size field after the header

enum class Form { kParams, kChunk };

// A program file, or one program record of a parameter-form bank.
struct Program {
  Form form = Form::kParams;
  int32_t formatVersion = kProgramFormatVersion;
  int32_t uniqueId = 0;
  int32_t fxVersion = 0;  // major * 10000 + minor * 100 + patch
  int32_t numParams = 0;  // as stored; the parameter form writes params.size() instead
  std::string name;       // cut to 27 bytes on writing (see CopyNameField)
  std::vector<float> params;          // the parameter form: normalised values in index order
  std::vector<unsigned char> chunk;   // the chunk form: the plug-in's state, opaque here
};

struct Bank {
  Form form = Form::kParams;
  int32_t formatVersion = kBankFormatVersion;
  int32_t uniqueId = 0;
  int32_t fxVersion = 0;
  int32_t numPrograms = 0;  // as stored; the parameter form writes programs.size() instead
  int32_t currentProgram = 0;
  // The parameter form's records; they are written with the bank's id and effect version.
  std::vector<Program> programs;
  std::vector<unsigned char> chunk;  // the chunk form
};

// A program or a bank file, whichever the bytes hold.
struct File {
  bool isBank = false;
  Program program;  // when !isBank
  Bank bank;        // when isBank

  Form GetForm() const { return isBank ? bank.form : program.form; }
  int32_t UniqueId() const { return isBank ? bank.uniqueId : program.uniqueId; }
  int32_t FxVersion() const { return isBank ? bank.fxVersion : program.fxVersion; }
  const std::vector<unsigned char>& Chunk() const { return isBank ? bank.chunk : program.chunk; }
};

// How far a reader relies on the size and count fields.
enum class Reading {
  // They say what follows; all of it must be there and none of them may be negative.
  kStrict,
  // The plug-in's reading, which survives writers that get the fields wrong: a file's chunk runs
  // from after its size field to the end of the input, a program file's values are all the whole
  // floats after its header, and a bank whose program count is not positive holds no programs.
  // A bank's program records still need all the values their counts declare.
  kLenient,
};

// Each returns false and puts the reason in *error (when given) for bytes that are not such a
// file; trailing bytes are ignored. The output is complete only on success.
bool ReadProgram(const unsigned char* data, size_t size, Reading reading, Program* out, std::string* error);
bool ReadBank(const unsigned char* data, size_t size, Reading reading, Bank* out, std::string* error);
bool ReadFile(const unsigned char* data, size_t size, Reading reading, File* out, std::string* error);

// What the byte-size field after "CcnK" holds. Writers have always differed; readers never rely
// on it.
enum class ByteSize {
  kWholeFileForChunks,  // the file's length in the chunk forms; 0 in the parameter forms and records
  kBytesAfterField,     // the number of bytes that follow the field, in files and records alike
};

// Replace *out with the file's image. False (and *out empty) when a length does not fit its
// 32-bit field.
bool WriteProgram(const Program& program, ByteSize sizes, std::vector<unsigned char>* out);
bool WriteBank(const Bank& bank, ByteSize sizes, std::vector<unsigned char>* out);

// Copies at most srcMax bytes of src, up to its first NUL, into a field of dstSize bytes, always
// terminated. A text cut short loses a trailing incomplete UTF-8 sequence as well, so the field
// never ends in the middle of a character. Returns the bytes copied.
size_t CopyNameField(char* dst, size_t dstSize, const char* src, size_t srcMax);

// The state chunk layout. A chunk opens with a header: the magic, which reads "tffp" stored
// little-endian, and the framework version, major * 65536 + minor * 256 + patch. A program's
// state follows (the effect's own; by default one little-endian double per parameter). A bank's
// follows as one preset after another: the int32 length of its name, the name without NUL, a
// flag byte, and when the flag is set that preset's program state.
constexpr int32_t kStateMagic = 0x70666674;
constexpr int32_t kFrameworkVersion = 0x00010000;
constexpr int kStateHeaderSize = 8;

// Writes the header into out[0..7].
void WriteStateHeader(unsigned char* out, int32_t version = kFrameworkVersion);
// The header at pos: returns the position after it with *version set. Returns pos unchanged (and
// leaves *version) when no magic starts there, and -1 when the magic is there without a version.
int ReadStateHeader(const unsigned char* data, size_t size, int pos, int32_t* version);
// A bank preset's name and flag at pos: returns the position after the flag, or -1 when they are
// not all there or the length is negative. The name stops at a NUL inside it.
int ReadPresetHead(const unsigned char* data, size_t size, int pos, std::string* name, bool* initialized);
// Up to maxCount whole doubles from pos on; fewer where the input ends.
std::vector<double> ReadStateValues(const unsigned char* data, size_t size, size_t pos, size_t maxCount);

}  // namespace fxformat
