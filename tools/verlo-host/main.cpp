// verlo-host: a command-line host for Linux VST 2 plug-ins.
#include <cstring>
#include <iostream>

#include "commands.h"
#include "error.h"

namespace {
const char kHelp[] =
    "usage: verlo-host COMMAND [arguments]\n"
    "\n"
    "A host for Linux VST 2 plug-ins (.so files, or bundle folders holding one), run from a\n"
    "terminal. It loads a plug-in the way a DAW does, renders audio files through it and opens\n"
    "its editor.\n"
    "\n"
    "commands:\n"
    "  info PLUGIN                 everything the plug-in tells a host about itself\n"
    "  render PLUGIN IN OUT        render an audio file through the plug-in\n"
    "  state save PLUGIN FILE      write the plug-in's state (after --set ...) to a .fxp/.fxb file\n"
    "  state show FILE [PLUGIN]    print what a state file holds\n"
    "  editor PLUGIN               open the plug-in's editor in a window, print what it changes\n"
    "  screenshot PLUGIN OUT.png   save a picture of the plug-in's editor\n"
    "  stress PLUGIN               drive the plug-in like the harshest hosts; a table of checks\n"
    "  demo [DIR]                  render a generated drum-and-chord loop through the Verlo\n"
    "                              plug-in built next to this program (into DIR, default demo/)\n"
    "\n"
    "'verlo-host COMMAND --help' explains each. Exit status: 0 done, 1 failed, 2 bad usage,\n"
    "128 + the signal when interrupted (130 for Ctrl-C).\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
    (argc < 2 ? std::cerr : std::cout) << kHelp;
    return argc < 2 ? kExitUsage : 0;
  }
  const std::string command = argv[1];
  try {
    if (command == "info") return CommandInfo(argc - 2, argv + 2);
    if (command == "render") return CommandRender(argc - 2, argv + 2);
    if (command == "state") return CommandState(argc - 2, argv + 2);
    if (command == "demo") return CommandDemo(argc - 2, argv + 2);
    if (command == "editor") return CommandEditor(argc - 2, argv + 2);
    if (command == "screenshot") return CommandScreenshot(argc - 2, argv + 2);
    if (command == "stress") return CommandStress(argc - 2, argv + 2);
    throw UsageError("unknown command '" + command + "'; 'verlo-host --help' lists them");
  } catch (const HostError& e) {
    std::cout.flush();
    std::cerr << "verlo-host: " << e.what() << "\n";
    return e.exitStatus;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "verlo-host: " << e.what() << "\n";
    return kExitFailure;
  }
}
