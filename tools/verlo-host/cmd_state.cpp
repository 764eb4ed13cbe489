#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
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
    "       verlo-host state show FILE [PLUGIN]\n"
    "\n"
    "save: opens PLUGIN, applies the settings (as render does) and writes its state as a program\n"
    "      file (.fxp), or with --bank as a bank file (.fxb): the plug-in's own chunk when it uses\n"
    "      chunks, else one normalised value per parameter. Verlo uses no chunk: its files hold\n"
    "      its parameter values. render --state FILE loads it again.\n"
    "show: prints what a program or bank file holds: its parameter values, or its chunk (decoded\n"
    "      when in the framework's 'tffp' layout, else as bytes). With PLUGIN, or with the Verlo\n"
    "      built next to this program for Verlo's files, each value also gets its parameter's\n"
    "      name and display, and a chunk is loaded into the plug-in to show its values.\n";

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

// The plug-in that names a file's values: the one given, else Verlo's build beside this program
// when the file is Verlo's.
struct Describer {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> plugin;
};

Describer OpenDescriber(const std::vector<std::string>& positional, const FxFile& f) {
  Describer d;
  const bool given = positional.size() > 2;
  const std::string path = given ? positional[2] : BesideThisProgram("Verlo.vst/Verlo.so");
  if (!given && access(path.c_str(), F_OK) != 0) return d;
  d.library = std::make_unique<PluginLibrary>(path);
  d.plugin = std::make_unique<PluginInstance>(*d.library, 44100.0, 512);
  if (d.plugin->Effect()->uniqueID == f.pluginId) return d;
  if (given)
    throw HostError("'" + positional[1] + "' holds state of the plug-in with ID '" + FourCC(f.pluginId) +
                    "', not '" + FourCC(d.plugin->Effect()->uniqueID) + "'");
  return Describer{};
}

// "  NAME  DISPLAY" of parameter i at the normalised value x.
std::string Described(PluginInstance* plugin, int i, float x) {
  if (!plugin || i >= plugin->Effect()->numParams) return "";
  plugin->Effect()->setParameter(plugin->Effect(), i, x);
  return "  " + plugin->ParamName(i) + "  " + plugin->ParamShown(i);
}

int Save(const Args& args) {
  const auto& p = args.Positional();
  if (p.size() != 3) throw UsageError("state save takes PLUGIN FILE\n\n" + std::string(kHelp));
  PluginSettings settings = SettingsFromArgs(args);
  PluginLibrary library(p[1]);
  PluginInstance plugin(library, 44100.0, 512);
  ApplySettings(plugin, settings, std::cout);
  SaveStateFile(plugin, p[2], args.Has("bank"), std::cout);
  return 0;
}

int Show(const Args& args) {
  const auto& p = args.Positional();
  if (p.size() != 2 && p.size() != 3) throw UsageError("state show takes FILE [PLUGIN]\n\n" + std::string(kHelp));
  const FxFile f = DecodeFx(ReadWholeFile(p[1]), p[1]);
  const Describer describer = OpenDescriber(p, f);
  PluginInstance* plugin = describer.plugin.get();
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
    if (plugin) {
      LoadState(*plugin, f, p[1]);
      AEffect* e = plugin->Effect();
      o << "loaded into " << plugin->Name() << ":\n";
      for (int i = 0; i < e->numParams; ++i) {
        const float x = e->getParameter(e, i);
        o << "    " << i << "  " << x << Described(plugin, i, x) << "\n";
      }
    }
  } else {
    for (size_t i = 0; i < f.programs.size(); ++i) {
      if (f.IsBank()) o << "  program " << i << " \"" << f.programs[i].name << "\"\n";
      for (size_t j = 0; j < f.programs[i].params.size(); ++j)
        o << "    " << j << "  " << f.programs[i].params[j] << Described(plugin, int(j), f.programs[i].params[j])
          << "\n";
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
