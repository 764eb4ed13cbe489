#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>

#include "args.h"
#include "audio_file.h"
#include "commands.h"
#include "demo_material.h"
#include "error.h"
#include "plugin.h"
#include "render.h"
#include "screenshot.h"
#include "settings.h"
#include "text.h"

namespace {

const char kHelp[] =
    "usage: verlo-host demo [DIR] [--plugin PLUGIN]\n"
    "\n"
    "Generates an 8-second drum-and-chord loop (120 BPM, 48 kHz, stereo), writes it to\n"
    "DIR/input.wav, renders it through the Verlo plug-in built next to this program\n"
    "(Verlo.vst/Verlo.so beside verlo-host, or PLUGIN) and writes DIR/output.wav, a picture of\n"
    "both over time, DIR/plot.png (as render --plot draws it), and one of the plug-in's editor at\n"
    "those settings, DIR/editor.png (as screenshot takes it; skipped with a warning where no\n"
    "display or Xvfb can show it). DIR defaults to demo/ and is created when missing. The settings\n"
    "used are printed.\n";

constexpr int kRate = 48000;

// The picture is a bonus: without a display to show the editor the demo still succeeds.
void ShootDemoEditor(const std::string& path, const PluginSettings& settings, const std::string& picture) {
  PluginLibrary library(path);
  PluginInstance plugin(library, kRate, 512);
  std::ostringstream quiet;
  ApplySettings(plugin, settings, quiet);
  try {
    SaveEditorScreenshot(plugin, picture, std::cout);
  } catch (const HostError& e) {
    Warn(std::string("no picture of the editor: ") + e.what());
  }
}

}  // namespace

int CommandDemo(int argc, char** argv) {
  Args args(argc, argv, {{"plugin", true}});
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.Positional().size() > 1) throw UsageError("demo takes at most one DIR\n\n" + std::string(kHelp));
  const std::string dir = args.Positional().empty() ? "demo" : args.Positional()[0];
  const std::string plugin = args.Last("plugin", BesideThisProgram("Verlo.vst/Verlo.so"));
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    throw HostError("cannot create '" + dir + "': " + std::strerror(errno));

  const std::string input = JoinPath(dir, "input.wav"), output = JoinPath(dir, "output.wav");
  const std::vector<double> loop = MakeDrumAndChordLoop(kRate);
  {
    AudioWriter writer(input, 2, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    writer.Write(loop.data(), long(loop.size() / 2));
    writer.Commit();
  }
  std::cout << "input:  " << input << " (8 s drum-and-chord loop, 120 BPM, 48000 Hz, stereo)\n";

  // A CHOP of 0.6 s gives a 0.5 s cycle, one beat at 120 BPM, ending in a 0.1 s duck. The first
  // cycle runs from the start of the file, so the ducks fall on 0.5 s, 1.0 s, ...: every beat
  // after the first opens with its hit ducked.
  RenderOptions options;
  options.block = 512;
  options.settings.params = {{"CHOP", "0.6", false}, {"FADE", "20", false}, {"DRY", "0.15", false},
                             {"OUTPUT", "0", false}, {"BY", "0", false}};
  std::cout << "plug-in: " << plugin << "\nsettings:";
  for (const ParamSetting& s : options.settings.params) std::cout << " " << s.name << "=" << s.value;
  std::cout << " (blocks of " << options.block << ", float precision)\n"
            << "chop:   a 0.5 s cycle (one beat) ending in a 0.1 s duck to DRY 0.15; the ducks start at "
               "0.5 s, 1.0 s, 1.5 s, ...\n";
  options.plotPath = JoinPath(dir, "plot.png");
  RenderFile(plugin, input, output, options, std::cout);
  std::cout << "output: " << output << "\n";
  ShootDemoEditor(plugin, options.settings, JoinPath(dir, "editor.png"));
  return 0;
}
