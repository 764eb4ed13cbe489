#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "args.h"
#include "atomic_file.h"
#include "commands.h"
#include "error.h"
#include "fx_file.h"
#include "settings.h"

namespace {

const char kHelp[] =
    "usage: verlo-host state save PLUGIN FILE [--set NAME=VALUE ...] [--set-normalized NAME=X ...]\n"
    "                             [--program N] [--state FILE] [--bank]\n"
    "       verlo-host state show FILE\n"
    "\n"
    "save: opens PLUGIN, applies the settings (as render does) and writes its state as a program\n"
    "      file (.fxp), or with --bank as a bank file (.fxb): the plug-in's own chunk when it uses\n"
    "      chunks, else one value per parameter. render --state FILE loads it again.\n"
    "show: prints what a program or bank file holds; chunks in the 'tffp' layout (Verlo's) are\n"
    "      decoded into their parameter values, other chunks are shown as bytes.\n";

uint32_t U32le(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

void ShowHex(std::ostream& o, const std::vector<unsigned char>& bytes) {
  const size_t shown = std::min<size_t>(bytes.size(), 256);
  for (size_t i = 0; i < shown; i += 16) {
    char line[128];
    int n = std::snprintf(line, sizeof line, "  %04zx ", i);
    for (size_t j = i; j < i + 16 && j < shown; ++j) n += std::snprintf(line + n, sizeof line - n, " %02x", bytes[j]);
    o << line << "\n";
  }
  if (shown < bytes.size()) o << "  ... (" << bytes.size() - shown << " more bytes)\n";
}

double DoubleAt(const std::vector<unsigned char>& b, size_t pos) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[pos + i];
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}

// The framework's layout: "tffp", version, then one little-endian double per parameter for a
// program; a bank repeats name length, name, initialised flag and (if set) the doubles.
bool ShowTffp(std::ostream& o, const FxFile& f) {
  const auto& b = f.chunk;
  if (b.size() < 8 || std::memcmp(b.data(), "tffp", 4) != 0) return false;
  char ver[16];
  std::snprintf(ver, sizeof ver, "0x%08X", U32le(&b[4]));
  o << "chunk layout:    tffp, framework version " << ver << "\n";
  const size_t params = f.numParams > 0 ? size_t(f.numParams) : 0;
  auto values = [&](size_t pos) {
    for (size_t i = 0; i < params && pos + 8 <= b.size(); ++i, pos += 8)
      o << "    " << i << "  " << DoubleAt(b, pos) << "\n";
    return pos;
  };
  if (!f.IsBank()) {
    o << "  values:\n";
    if (params == 0 || 8 + 8 * params > b.size()) {
      o << "  (" << (b.size() - 8) / 8 << " values)\n";
      for (size_t pos = 8; pos + 8 <= b.size(); pos += 8) o << "    " << (pos - 8) / 8 << "  " << DoubleAt(b, pos) << "\n";
    } else {
      values(8);
    }
    return true;
  }
  // Bank files do not record the parameter count; take it from the chunk size per preset.
  size_t pos = 8, preset = 0;
  while (pos + 5 <= b.size()) {
    const uint32_t len = U32le(&b[pos]);
    if (pos + 4 + len + 1 > b.size()) break;
    const std::string name(reinterpret_cast<const char*>(&b[pos + 4]), len);
    const bool init = b[pos + 4 + len] != 0;
    pos += 4 + len + 1;
    o << "  preset " << preset++ << " \"" << name << "\"" << (init ? "" : " (empty)") << "\n";
    if (!init) continue;
    size_t n = params;
    if (n == 0) n = (b.size() - pos) / 8;  // a single preset takes the rest
    for (size_t i = 0; i < n && pos + 8 <= b.size(); ++i, pos += 8) o << "    " << i << "  " << DoubleAt(b, pos) << "\n";
  }
  return true;
}

int Save(const Args& args) {
  const auto& p = args.Positional();
  if (p.size() != 3) throw UsageError("state save takes PLUGIN FILE\n\n" + std::string(kHelp));
  PluginSettings settings = SettingsFromArgs(args);
  PluginLibrary library(p[1]);
  PluginInstance plugin(library, 44100.0, 512);
  ApplySettings(plugin, settings, std::cout);
  const bool bank = args.Has("bank");
  const FxFile state = CaptureState(plugin, bank);
  WriteFileAtomically(p[2], EncodeFx(state));
  std::cout << "saved " << (bank ? "bank" : "program") << " state of " << plugin.Name() << " ("
            << (state.IsChunk() ? std::to_string(state.chunk.size()) + "-byte chunk"
                                : std::to_string(plugin.Effect()->numParams) + " parameters")
            << ") to " << p[2] << "\n";
  for (int i = 0; i < plugin.Effect()->numParams; ++i) {
    std::cout << "  " << plugin.ParamName(i) << " = " << plugin.ParamDisplay(i);
    const std::string label = plugin.ParamLabel(i);
    std::cout << (label.empty() ? "" : " ") << label << "\n";
  }
  return 0;
}

int Show(const Args& args) {
  const auto& p = args.Positional();
  if (p.size() != 2) throw UsageError("state show takes FILE\n\n" + std::string(kHelp));
  const FxFile f = DecodeFx(ReadWholeFile(p[1]), p[1]);
  std::ostream& o = std::cout;
  static const char* const kKinds[] = {"program, parameter values (FxCk)", "program, chunk (FPCh)",
                                       "bank, parameter values (FxBk)", "bank, chunk (FBCh)"};
  char id[16];
  std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(f.pluginId));
  o << "file:            " << p[1] << "\n";
  o << "kind:            " << kKinds[f.kind] << "\n";
  o << "plug-in ID:      '" << FourCC(f.pluginId) << "' (" << id << ")\n";
  o << "plug-in version: " << f.pluginVersion << "\n";
  if (f.IsBank())
    o << "programs:        " << f.numPrograms << " (current " << f.currentProgram << ")\n";
  else
    o << "parameters:      " << f.numParams << "\n" << "program name:    " << f.programName << "\n";
  if (f.IsChunk()) {
    o << "chunk size:      " << f.chunk.size() << " bytes\n";
    if (!ShowTffp(o, f)) ShowHex(o, f.chunk);
  } else {
    for (size_t i = 0; i < f.programs.size(); ++i) {
      if (f.IsBank()) o << "  program " << i << " \"" << f.programs[i].name << "\"\n";
      for (size_t j = 0; j < f.programs[i].params.size(); ++j)
        o << "    " << j << "  " << f.programs[i].params[j] << "\n";
    }
  }
  return 0;
}

}  // namespace

int CommandState(int argc, char** argv) {
  std::vector<OptionDef> defs = kSettingOptions;
  defs.push_back({"bank", false});
  Args args(argc, argv, defs);
  if (args.Has("help") || args.Positional().empty()) {
    if (!args.Has("help")) throw UsageError("state needs 'save' or 'show'\n\n" + std::string(kHelp));
    std::cout << kHelp;
    return 0;
  }
  const std::string& sub = args.Positional()[0];
  if (sub == "save") return Save(args);
  if (sub == "show") return Show(args);
  throw UsageError("unknown state command '" + sub + "' (save or show)");
}
