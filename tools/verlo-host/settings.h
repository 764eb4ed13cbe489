#pragma once
// What the user asks to be set on an instance before it runs: a program, a saved state, then
// parameters by display value or normalised value.
#include <ostream>
#include <string>
#include <vector>

#include "args.h"
#include "effect/fxformat/fxformat.h"
#include "plugin.h"

struct ParamSetting {
  std::string name, value;
  bool normalized = false;
};

struct PluginSettings {
  long program = -1;
  std::string stateFile;
  std::vector<ParamSetting> params;
};

extern const std::vector<OptionDef> kSettingOptions;  // --set, --set-normalized, --program, --state
PluginSettings SettingsFromArgs(const Args& args);

// Case-insensitive; throws HostError listing the known names.
int FindParameter(PluginInstance& plugin, const std::string& name);
void ApplySettings(PluginInstance& plugin, const PluginSettings& settings, std::ostream& log);

// A program or bank file; throws HostError naming the file when the bytes are not one.
fxformat::File ReadStateFile(const std::string& path);
fxformat::File CaptureState(PluginInstance& plugin, bool bank);
// Writes the state as a program or bank file (atomically) and logs what it holds.
void SaveStateFile(PluginInstance& plugin, const std::string& path, bool bank, std::ostream& log);
void LoadState(PluginInstance& plugin, const fxformat::File& state, const std::string& path);
