#pragma once
// Program (.fxp) and bank (.fxb) files, the big-endian container DAWs exchange VST 2 state in:
// either the plug-in's opaque chunk or one float per parameter.
#include <cstdint>
#include <string>
#include <vector>

struct FxProgram {
  std::string name;  // at most 27 characters in the file
  std::vector<float> params;
};

struct FxFile {
  enum Kind { kProgramParams, kProgramChunk, kBankParams, kBankChunk } kind = kProgramChunk;
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  int32_t numParams = 0;    // programs: parameter count
  int32_t numPrograms = 0;  // banks: program count
  int32_t currentProgram = 0;  // banks: the program selected when saved
  std::string programName;  // program files only
  std::vector<unsigned char> chunk;   // chunk forms
  std::vector<FxProgram> programs;    // params forms (one entry for a program file)

  bool IsBank() const { return kind == kBankParams || kind == kBankChunk; }
  bool IsChunk() const { return kind == kProgramChunk || kind == kBankChunk; }
};

std::vector<unsigned char> EncodeFx(const FxFile& file);
// Throws HostError naming the file when the bytes are not a program or bank file.
FxFile DecodeFx(const std::vector<unsigned char>& bytes, const std::string& path);
