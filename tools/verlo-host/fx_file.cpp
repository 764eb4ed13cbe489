#include "fx_file.h"

#include <cstring>

#include "error.h"

namespace {

constexpr int32_t Tag(const char (&t)[5]) {
  return (int32_t(uint8_t(t[0])) << 24) | (int32_t(uint8_t(t[1])) << 16) |
         (int32_t(uint8_t(t[2])) << 8) | int32_t(uint8_t(t[3]));
}

void Put32(std::vector<unsigned char>& out, int32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(uint32_t(v) >> shift));
}
void PutFloat(std::vector<unsigned char>& out, float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  Put32(out, v);
}
void PutName(std::vector<unsigned char>& out, const std::string& name) {
  char field[28] = {};
  std::strncpy(field, name.c_str(), sizeof field - 1);
  out.insert(out.end(), field, field + sizeof field);
}

// Program body after the 'CcnK' size field.
void PutProgram(std::vector<unsigned char>& out, int32_t magic, const FxFile& f,
                const std::string& name, const std::vector<float>* params) {
  Put32(out, magic);
  Put32(out, 1);
  Put32(out, f.pluginId);
  Put32(out, f.pluginVersion);
  Put32(out, params ? int32_t(params->size()) : f.numParams);
  PutName(out, name);
  if (params) {
    for (float p : *params) PutFloat(out, p);
  } else {
    Put32(out, int32_t(f.chunk.size()));
    out.insert(out.end(), f.chunk.begin(), f.chunk.end());
  }
}

void Wrap(std::vector<unsigned char>& out, const std::vector<unsigned char>& body) {
  Put32(out, Tag("CcnK"));
  Put32(out, int32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

class Reader {
public:
  Reader(const std::vector<unsigned char>& b, const std::string& path) : mBytes(b), mPath(path) {}
  int32_t I32() {
    Need(4);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | mBytes[mPos++];
    return int32_t(v);
  }
  float F32() {
    const int32_t v = I32();
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  std::string Name() {
    Need(28);
    std::string s(reinterpret_cast<const char*>(&mBytes[mPos]), 28);
    mPos += 28;
    return s.substr(0, s.find('\0'));
  }
  std::vector<unsigned char> Bytes(int32_t n) {
    if (n < 0) Fail("negative chunk size");
    Need(size_t(n));
    std::vector<unsigned char> out(mBytes.begin() + long(mPos), mBytes.begin() + long(mPos) + n);
    mPos += size_t(n);
    return out;
  }
  void Skip(size_t n) {
    Need(n);
    mPos += n;
  }
  [[noreturn]] void Fail(const std::string& why) const {
    throw HostError("'" + mPath + "' is not a usable program or bank file: " + why);
  }

private:
  void Need(size_t n) const {
    if (mBytes.size() - mPos < n) Fail("it ends early");
  }
  const std::vector<unsigned char>& mBytes;
  std::string mPath;
  size_t mPos = 0;
};

}  // namespace

std::vector<unsigned char> EncodeFx(const FxFile& f) {
  std::vector<unsigned char> body;
  switch (f.kind) {
    case FxFile::kProgramChunk: PutProgram(body, Tag("FPCh"), f, f.programName, nullptr); break;
    case FxFile::kProgramParams:
      PutProgram(body, Tag("FxCk"), f, f.programs.at(0).name, &f.programs.at(0).params);
      break;
    case FxFile::kBankChunk:
    case FxFile::kBankParams: {
      Put32(body, f.kind == FxFile::kBankChunk ? Tag("FBCh") : Tag("FxBk"));
      Put32(body, 2);  // version 2 banks record the current program
      Put32(body, f.pluginId);
      Put32(body, f.pluginVersion);
      Put32(body, f.kind == FxFile::kBankChunk ? f.numPrograms : int32_t(f.programs.size()));
      Put32(body, f.currentProgram);
      body.insert(body.end(), 124, 0);
      if (f.kind == FxFile::kBankChunk) {
        Put32(body, int32_t(f.chunk.size()));
        body.insert(body.end(), f.chunk.begin(), f.chunk.end());
      } else {
        for (const FxProgram& p : f.programs) {
          std::vector<unsigned char> prog;
          PutProgram(prog, Tag("FxCk"), f, p.name, &p.params);
          Wrap(body, prog);
        }
      }
      break;
    }
  }
  std::vector<unsigned char> out;
  Wrap(out, body);
  return out;
}

FxFile DecodeFx(const std::vector<unsigned char>& bytes, const std::string& path) {
  Reader r(bytes, path);
  FxFile f;
  if (bytes.size() < 8 || r.I32() != Tag("CcnK")) r.Fail("it does not start with 'CcnK'");
  r.I32();
  const int32_t magic = r.I32();
  const int32_t version = r.I32();
  f.pluginId = r.I32();
  f.pluginVersion = r.I32();
  auto readProgram = [&r](int32_t count) {
    FxProgram p;
    p.name = r.Name();
    if (count < 0 || count > 100000) r.Fail("implausible parameter count");
    for (int32_t i = 0; i < count; ++i) p.params.push_back(r.F32());
    return p;
  };
  if (magic == Tag("FxCk") || magic == Tag("FPCh")) {
    f.numParams = r.I32();
    if (magic == Tag("FxCk")) {
      f.kind = FxFile::kProgramParams;
      f.programs.push_back(readProgram(f.numParams));
      f.programName = f.programs[0].name;
    } else {
      f.kind = FxFile::kProgramChunk;
      f.programName = r.Name();
      f.chunk = r.Bytes(r.I32());
    }
  } else if (magic == Tag("FxBk") || magic == Tag("FBCh")) {
    f.numPrograms = r.I32();
    if (version >= 2) {
      f.currentProgram = r.I32();
      r.Skip(124);
    } else {
      r.Skip(128);
    }
    if (magic == Tag("FBCh")) {
      f.kind = FxFile::kBankChunk;
      f.chunk = r.Bytes(r.I32());
    } else {
      f.kind = FxFile::kBankParams;
      if (f.numPrograms < 0 || f.numPrograms > 100000) r.Fail("implausible program count");
      for (int32_t i = 0; i < f.numPrograms; ++i) {
        if (r.I32() != Tag("CcnK")) r.Fail("program " + std::to_string(i) + " has no 'CcnK'");
        r.I32();
        if (r.I32() != Tag("FxCk")) r.Fail("program " + std::to_string(i) + " is not 'FxCk'");
        r.I32();
        r.I32();
        r.I32();
        f.numParams = r.I32();
        f.programs.push_back(readProgram(f.numParams));
      }
    }
  } else {
    r.Fail("unknown kind (neither FxCk, FPCh, FxBk nor FBCh)");
  }
  return f;
}
