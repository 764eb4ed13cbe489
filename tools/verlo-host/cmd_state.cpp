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

// Prints the values from pos on (all that remain when count is 0); returns the position after them.
size_t ShowValues(std::ostream& o, const std::vector<unsigned char>& b, size_t pos, size_t count) {
  const std::vector<double> values = fxformat::ReadStateValues(b.data(), b.size(), pos, count ? count : b.size());
  for (size_t i = 0; i < values.size(); ++i) o << "    " << i << "  " << values[i] << "\n";
  return pos + values.size() * sizeof(double);
}

// The framework's layout: its header, then the values of a program, or for a bank one preset after
// another.
bool ShowTffp(std::ostream& o, const fxformat::File& f) {
  const std::vector<unsigned char>& b = f.Chunk();
  int32_t version = 0;
  const int start = fxformat::ReadStateHeader(b.data(), b.size(), 0, &version);
  if (start <= 0) return false;
  char ver[16];
  std::snprintf(ver, sizeof ver, "0x%08X", static_cast<unsigned>(version));
  o << "chunk layout:    tffp, framework version " << ver << "\n";
  const size_t params = !f.isBank && f.program.numParams > 0 ? size_t(f.program.numParams) : 0;
  if (!f.isBank) {
    o << "  values:\n";
    if (params == 0 || start + 8 * params > b.size()) {
      o << "  (" << (b.size() - start) / 8 << " values)\n";
      ShowValues(o, b, start, 0);
    } else {
      ShowValues(o, b, start, params);
    }
    return true;
  }
  // Bank files do not record the parameter count: an initialised preset takes the rest.
  int pos = start;
  for (int preset = 0;; ++preset) {
    std::string name;
    bool init = false;
    pos = fxformat::ReadPresetHead(b.data(), b.size(), pos, &name, &init);
    if (pos < 0) break;
    o << "  preset " << preset << " \"" << name << "\"" << (init ? "" : " (empty)") << "\n";
    if (init) pos = static_cast<int>(ShowValues(o, b, size_t(pos), 0));
  }
  return true;
}

// The plug-in that names a file's values: the one given, else Verlo's build beside this program
// when the file is Verlo's.
struct Describer {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> plugin;
};

Describer OpenDescriber(const std::vector<std::string>& positional, const fxformat::File& f) {
  Describer d;
  const bool given = positional.size() > 2;
  const std::string path = given ? positional[2] : BesideThisProgram("Verlo.vst/Verlo.so");
  if (!given && access(path.c_str(), F_OK) != 0) return d;
  d.library = std::make_unique<PluginLibrary>(path);
  d.plugin = std::make_unique<PluginInstance>(*d.library, 44100.0, 512);
  if (d.plugin->Effect()->uniqueID == f.UniqueId()) return d;
  if (given)
    throw HostError("'" + positional[1] + "' holds state of the plug-in with ID '" + FourCC(f.UniqueId()) +
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
  const fxformat::File f = ReadStateFile(p[1]);
  const Describer describer = OpenDescriber(p, f);
  PluginInstance* plugin = describer.plugin.get();
  std::ostream& o = std::cout;
  const bool chunk = f.GetForm() == fxformat::Form::kChunk;
  static const char* const kKinds[2][2] = {
      {"program, parameter values (FxCk)", "program, chunk (FPCh)"},
      {"bank, parameter values (FxBk)", "bank, chunk (FBCh)"}};
  char id[16];
  std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(f.UniqueId()));
  o << "file:            " << p[1] << "\n";
  o << "kind:            " << kKinds[f.isBank][chunk] << "\n";
  o << "plug-in ID:      '" << FourCC(f.UniqueId()) << "' (" << id << ")\n";
  o << "plug-in version: " << f.FxVersion() << "\n";
  if (f.isBank)
    o << "programs:        " << f.bank.numPrograms << " (current " << f.bank.currentProgram << ")\n";
  else
    o << "parameters:      " << f.program.numParams << "\n" << "program name:    " << f.program.name << "\n";
  if (chunk) {
    o << "chunk size:      " << f.Chunk().size() << " bytes\n";
    if (!ShowTffp(o, f)) ShowHex(o, f.Chunk());
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
    const std::vector<fxformat::Program> programs = f.isBank ? f.bank.programs : std::vector<fxformat::Program>{f.program};
    for (size_t i = 0; i < programs.size(); ++i) {
      if (f.isBank) o << "  program " << i << " \"" << programs[i].name << "\"\n";
      for (size_t j = 0; j < programs[i].params.size(); ++j)
        o << "    " << j << "  " << programs[i].params[j] << Described(plugin, int(j), programs[i].params[j])
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
