#include <iostream>

#include "args.h"
#include "commands.h"
#include "error.h"
#include "plugin.h"
#include "screenshot.h"
#include "settings.h"

namespace {
const char kHelp[] =
    "usage: verlo-host screenshot PLUGIN OUT.png [--set NAME=VALUE ...] [--set-normalized NAME=X ...]\n"
    "                             [--program N] [--state FILE]\n"
    "\n"
    "Opens PLUGIN's editor in a window of its own after applying the settings (as render does),\n"
    "waits for its first complete frame (the window unchanged for three idle periods of 40 ms\n"
    "once the editor has drawn) and saves what the window shows as a PNG file. Without an X\n"
    "display (DISPLAY unset or empty) it starts a private Xvfb for the purpose, when Xvfb is\n"
    "installed. A plug-in without an editor, or an editor that draws nothing within 3 s, ends\n"
    "with status 1 and writes nothing.\n";
}  // namespace

int CommandScreenshot(int argc, char** argv) {
  Args args(argc, argv, kSettingOptions);
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  const auto& p = args.Positional();
  if (p.size() != 2) throw UsageError("screenshot takes PLUGIN OUT.png\n\n" + std::string(kHelp));
  const PluginSettings settings = SettingsFromArgs(args);
  PluginLibrary library(p[0]);
  PluginInstance plugin(library, 44100.0, 512);
  ApplySettings(plugin, settings, std::cout);
  SaveEditorScreenshot(plugin, p[1], std::cout);
  return 0;
}
