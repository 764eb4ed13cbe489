#include "settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "atomic_file.h"
#include "error.h"
#include "numbers.h"
#include "text.h"

const std::vector<OptionDef> kSettingOptions = {
    {"set", true}, {"set-normalized", true}, {"program", true}, {"state", true}};

namespace {

ParamSetting SplitSetting(const std::string& text, bool normalized) {
  const size_t eq = text.find('=');
  const char* option = normalized ? "--set-normalized" : "--set";
  if (eq == std::string::npos || eq == 0)
    throw UsageError(std::string(option) + " takes NAME=VALUE, not '" + text + "'");
  return {text.substr(0, eq), text.substr(eq + 1), normalized};
}

// A parameter shown as a number takes a number, optionally followed by its unit: plug-ins turn
// any other text into a number of their own choosing. Parameters shown as text ("On",
// "Square") take whatever the plug-in understands.
void CheckNumeric(PluginInstance& plugin, int index, const ParamSetting& s) {
  double value = 0.0;
  if (!LeadingNumber(plugin.ParamDisplay(index), value)) return;
  size_t used = 0;
  if (LeadingNumber(s.value, value, &used)) {
    const size_t unit = s.value.find_first_not_of(' ', used);
    if (unit == std::string::npos || Lower(s.value.substr(unit)) == Lower(plugin.ParamLabel(index))) return;
  }
  throw UsageError("--set " + s.name + " takes a number (" + plugin.ParamName(index) + " is shown as " +
                   plugin.ParamShown(index) + "), not '" + s.value + "'; --set-normalized " + s.name +
                   "=X sets it by its normalised value in 0..1");
}

void SetByDisplay(PluginInstance& plugin, int index, const ParamSetting& s, std::ostream& log) {
  CheckNumeric(plugin, index, s);
  std::vector<char> text(s.value.begin(), s.value.end());
  text.resize(text.size() + 256, 0);  // the plug-in may write into the buffer
  if (plugin.Dispatch(effString2Parameter, index, 0, text.data()) == 0)
    throw HostError("the plug-in refused the value '" + s.value + "' for parameter " +
                    plugin.ParamName(index) + " (it is shown as " + plugin.ParamShown(index) +
                    "); --set-normalized " + s.name + "=X sets it by its normalised value");
  // Plug-ins clamp or round what they are given; say so when the result is not what was asked.
  double asked, got;
  const std::string display = plugin.ParamDisplay(index);
  const bool numeric = LeadingNumber(s.value, asked) && LeadingNumber(display, got);
  const bool differs = numeric ? std::fabs(asked - got) > 0.0051 + 1e-3 * std::fabs(asked)
                               : Lower(s.value) != Lower(display) && Lower(s.value) != Lower(plugin.ParamShown(index));
  if (differs)
    log << "note: the plug-in took " << plugin.ParamName(index) << "=" << s.value << " as "
        << plugin.ParamShown(index) << "\n";
}

void SetNormalized(PluginInstance& plugin, int index, const ParamSetting& s) {
  const double x = ParseNumber(s.value, "--set-normalized " + s.name);
  if (x < 0.0 || x > 1.0)
    throw UsageError("--set-normalized " + s.name + " must lie in 0..1, not " + s.value);
  plugin.Effect()->setParameter(plugin.Effect(), index, static_cast<float>(x));
}

void SetParams(AEffect* e, const fxformat::Program& p) {
  for (int i = 0; i < e->numParams && i < int(p.params.size()); ++i) e->setParameter(e, i, p.params[i]);
}

std::vector<unsigned char> GetChunk(PluginInstance& plugin, bool bank) {
  void* data = nullptr;
  const VstIntPtr size = plugin.Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || !data) throw HostError("the plug-in returned no state chunk");
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

}  // namespace

PluginSettings SettingsFromArgs(const Args& args) {
  PluginSettings s;
  if (args.Has("program")) {
    s.program = ParseInteger(args.Last("program"), "--program");
    if (s.program < 0) throw UsageError("--program must not be negative");
  }
  s.stateFile = args.Last("state");
  for (const std::string& t : args.All("set")) s.params.push_back(SplitSetting(t, false));
  for (const std::string& t : args.All("set-normalized")) s.params.push_back(SplitSetting(t, true));
  return s;
}

int FindParameter(PluginInstance& plugin, const std::string& name) {
  const int count = plugin.Effect()->numParams;
  std::string known;
  for (int i = 0; i < count; ++i) {
    const std::string n = plugin.ParamName(i);
    if (Lower(n) == Lower(name)) return i;
    known += (i ? ", " : "") + n;
  }
  throw HostError("the plug-in has no parameter '" + name + "'; its parameters are: " +
                  (count ? known : std::string("(none)")));
}

void ApplySettings(PluginInstance& plugin, const PluginSettings& settings, std::ostream& log) {
  AEffect* e = plugin.Effect();
  if (settings.program >= 0) {
    if (settings.program >= e->numPrograms)
      throw HostError("the plug-in has " + Count(e->numPrograms, "program") + "; --program " +
                      std::to_string(settings.program) + " does not exist");
    plugin.Dispatch(effBeginSetProgram);
    plugin.Dispatch(effSetProgram, 0, settings.program);
    plugin.Dispatch(effEndSetProgram);
    log << "program " << settings.program << ": " << plugin.Text(effGetProgramName) << "\n";
  }
  if (!settings.stateFile.empty()) {
    LoadState(plugin, ReadStateFile(settings.stateFile), settings.stateFile);
    log << "state loaded from " << settings.stateFile << "\n";
  }
  for (const ParamSetting& s : settings.params) {
    const int index = FindParameter(plugin, s.name);
    if (s.normalized)
      SetNormalized(plugin, index, s);
    else
      SetByDisplay(plugin, index, s, log);
  }
}

fxformat::File ReadStateFile(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadWholeFile(path);
  fxformat::File f;
  std::string why;
  if (!fxformat::ReadFile(bytes.data(), bytes.size(), fxformat::Reading::kStrict, &f, &why))
    throw HostError("'" + path + "' is not a usable program or bank file: " + why);
  return f;
}

fxformat::File CaptureState(PluginInstance& plugin, bool bank) {
  AEffect* e = plugin.Effect();
  const fxformat::Form form = e->flags & effFlagsProgramChunks ? fxformat::Form::kChunk : fxformat::Form::kParams;
  const std::string programName = plugin.Text(effGetProgramName);
  const int current = static_cast<int>(plugin.Dispatch(effGetProgram));
  auto currentParams = [&]() {
    fxformat::Program p;
    p.name = plugin.Text(effGetProgramName);
    for (int i = 0; i < e->numParams; ++i) p.params.push_back(e->getParameter(e, i));
    return p;
  };
  fxformat::File f;
  f.isBank = bank;
  if (!bank) {
    fxformat::Program& p = f.program;
    if (form == fxformat::Form::kChunk) {
      p.name = programName;
      p.chunk = GetChunk(plugin, false);
    } else {
      p = currentParams();
    }
    p.form = form;
    p.uniqueId = e->uniqueID;
    p.fxVersion = e->version;
    p.numParams = e->numParams;
    return f;
  }
  fxformat::Bank& b = f.bank;
  b.form = form;
  b.uniqueId = e->uniqueID;
  b.fxVersion = e->version;
  b.numPrograms = e->numPrograms;
  b.currentProgram = current;
  if (form == fxformat::Form::kChunk) {
    b.chunk = GetChunk(plugin, true);
    return f;
  }
  // Switching programs may reload them from the plug-in's own store, so the current program is
  // read first and its values put back afterwards.
  const fxformat::Program live = currentParams();
  for (int i = 0; i < std::max(1, int(e->numPrograms)); ++i) {
    if (i == current) {
      b.programs.push_back(live);
      continue;
    }
    plugin.Dispatch(effSetProgram, 0, i);
    b.programs.push_back(currentParams());
  }
  if (e->numPrograms > 1) {
    plugin.Dispatch(effSetProgram, 0, current);
    SetParams(e, live);
  }
  return f;
}

void LoadState(PluginInstance& plugin, const fxformat::File& f, const std::string& path) {
  AEffect* e = plugin.Effect();
  if (f.UniqueId() != e->uniqueID)
    throw HostError("'" + path + "' holds state of the plug-in with ID '" + FourCC(f.UniqueId()) +
                    "', not '" + FourCC(e->uniqueID) + "'");
  if (f.GetForm() == fxformat::Form::kChunk) {
    if (!(e->flags & effFlagsProgramChunks))
      throw HostError("'" + path + "' holds a state chunk, but the plug-in does not take chunks");
    std::vector<unsigned char> chunk = f.Chunk();
    if (!f.isBank) plugin.Dispatch(effBeginSetProgram);
    const VstIntPtr ok = plugin.Dispatch(effSetChunk, f.isBank ? 0 : 1,
                                         static_cast<VstIntPtr>(chunk.size()), chunk.data());
    if (!f.isBank) plugin.Dispatch(effEndSetProgram);
    if (!ok) throw HostError("the plug-in refused the state in '" + path + "'");
    return;
  }
  if (!f.isBank) {
    SetParams(e, f.program);
    return;
  }
  const std::vector<fxformat::Program>& programs = f.bank.programs;
  const int count = std::min(int(programs.size()), std::max(1, int(e->numPrograms)));
  for (int i = 0; i < count; ++i) {
    plugin.Dispatch(effSetProgram, 0, i);
    std::vector<char> name(programs[i].name.begin(), programs[i].name.end());
    name.resize(name.size() + 32, 0);
    plugin.Dispatch(effSetProgramName, 0, 0, name.data());
    SetParams(e, programs[i]);
  }
  const int current = f.bank.currentProgram >= 0 && f.bank.currentProgram < count ? f.bank.currentProgram : 0;
  plugin.Dispatch(effSetProgram, 0, current);
  if (current < count) SetParams(e, programs[current]);
}

void SaveStateFile(PluginInstance& plugin, const std::string& path, bool bank, std::ostream& log) {
  const fxformat::File state = CaptureState(plugin, bank);
  std::vector<unsigned char> bytes;
  const bool encoded = bank ? fxformat::WriteBank(state.bank, fxformat::ByteSize::kBytesAfterField, &bytes)
                            : fxformat::WriteProgram(state.program, fxformat::ByteSize::kBytesAfterField, &bytes);
  if (!encoded) throw HostError("the state of " + plugin.Name() + " is too large for a program or bank file");
  WriteFileAtomically(path, bytes);
  log << "saved " << (bank ? "bank" : "program") << " state of " << plugin.Name() << " ("
      << (state.GetForm() == fxformat::Form::kChunk ? std::to_string(state.Chunk().size()) + "-byte chunk"
                          : std::to_string(plugin.Effect()->numParams) + " parameters")
      << ") to " << path << "\n";
  for (int i = 0; i < plugin.Effect()->numParams; ++i)
    log << "  " << plugin.ParamName(i) << " = " << plugin.ParamShown(i) << "\n";
}
