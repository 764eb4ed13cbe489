#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "args.h"
#include "commands.h"
#include "error.h"
#include "numbers.h"
#include "plugin.h"

namespace {

const char kHelp[] =
    "usage: verlo-host info PLUGIN\n"
    "\n"
    "Loads PLUGIN (a VST 2 .so, or a bundle folder holding one), opens an instance at 44100 Hz\n"
    "and prints its effect record, names, vendor, version, category, channels, every parameter\n"
    "(index, name, label, display at its current value, normalised value), its programs, its\n"
    "answers to the usual can-do questions and its editor size.\n";

const char* CategoryName(VstIntPtr c) {
  static const char* const kNames[] = {"unknown", "effect", "synth", "analysis", "mastering",
                                       "spacializer", "room effect", "surround", "restoration",
                                       "offline process", "shell", "generator"};
  return c >= 0 && c < VstIntPtr(sizeof kNames / sizeof *kNames) ? kNames[c] : "?";
}

std::string FlagNames(VstInt32 flags) {
  static const struct { VstInt32 bit; const char* name; } kFlags[] = {
      {effFlagsHasEditor, "editor"},          {effFlagsCanMono, "mono"},
      {effFlagsCanReplacing, "replacing"},    {effFlagsProgramChunks, "chunks"},
      {effFlagsIsSynth, "synth"},             {effFlagsNoSoundInStop, "no-sound-in-stop"},
      {effFlagsCanDoubleReplacing, "double"}};
  std::string s;
  for (const auto& f : kFlags)
    if (flags & f.bit) s += (s.empty() ? "" : " ") + std::string(f.name);
  return s.empty() ? "none" : s;
}

std::string OrNone(const std::string& text) { return text.empty() ? "(none)" : text; }

std::string Answer(VstIntPtr v) {
  if (v == 1) return "yes";
  if (v == -1) return "no";
  if (v == 0) return "no answer";
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(v));
  return hex;
}

}  // namespace

int CommandInfo(int argc, char** argv) {
  Args args(argc, argv, {});
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.Positional().size() != 1) throw UsageError("info takes one PLUGIN\n\n" + std::string(kHelp));
  PluginLibrary library(args.Positional()[0]);
  PluginInstance plugin(library, 44100.0, 512);
  AEffect* e = plugin.Effect();
  std::ostream& o = std::cout;
  char hex[64];
  o << "file:            " << library.Path() << " (entry " << library.EntryName() << ")\n";
  o << "name:            " << OrNone(plugin.Text(effGetEffectName)) << "\n";
  o << "product:         " << OrNone(plugin.Text(effGetProductString)) << "\n";
  o << "vendor:          " << OrNone(plugin.Text(effGetVendorString)) << "\n";
  o << "vendor version:  " << plugin.Dispatch(effGetVendorVersion) << "\n";
  o << "VST version:     " << plugin.Dispatch(effGetVstVersion) << "\n";
  const VstIntPtr category = plugin.Dispatch(effGetPlugCategory);
  o << "category:        " << category << " (" << CategoryName(category) << ")\n";
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(e->uniqueID));
  o << "unique ID:       '" << FourCC(e->uniqueID) << "' (" << hex << ")\n";
  o << "version:         " << e->version << "\n";
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(e->flags));
  o << "flags:           " << hex << " (" << FlagNames(e->flags) << ")\n";
  o << "initial delay:   " << e->initialDelay << " frames\n";
  o << "channels:        " << e->numInputs << " in, " << e->numOutputs << " out\n";
  for (int side = 0; side < 2; ++side) {
    const int count = side ? e->numOutputs : e->numInputs;
    for (int i = 0; i < count; ++i) {
      VstPinProperties pin{};
      if (!plugin.Dispatch(side ? effGetOutputProperties : effGetInputProperties, i, 0, &pin)) continue;
      pin.label[sizeof pin.label - 1] = 0;
      o << "  " << (side ? "output " : "input  ") << i << ": " << pin.label
        << ((pin.flags & kVstPinIsStereo) ? " (stereo pair)" : "") << "\n";
    }
  }
  o << "parameters:      " << e->numParams << "\n";
  for (int i = 0; i < e->numParams; ++i) {
    o << "  " << i << "  " << plugin.ParamName(i) << "  " << plugin.ParamShown(i);
    o << "  (normalised " << Fixed(e->getParameter(e, i), 6) << ")\n";
  }
  o << "programs:        " << e->numPrograms << " (current " << plugin.Dispatch(effGetProgram) << ")\n";
  for (int i = 0; i < e->numPrograms && i < 128; ++i) {
    char name[1024] = {};
    plugin.Dispatch(effGetProgramNameIndexed, i, -1, name);
    o << "  " << i << "  " << name << "\n";
  }
  if (e->numPrograms > 128) o << "  ...\n";
  o << "can do:\n";
  for (const char* what : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
                           "receiveVstTimeInfo", "offline", "midiProgramNames", "bypass",
                           "hasCockosExtensions", "hasCockosViewAsConfig"}) {
    std::string text = what;
    o << "  " << what << ": " << Answer(plugin.Dispatch(effCanDo, 0, 0, text.data())) << "\n";
  }
  if (e->flags & effFlagsHasEditor) {
    // Toolkit-based editors crash when asked their size with no display to connect to.
    const char* display = std::getenv("DISPLAY");
    ERect* rect = nullptr;
    if (!display || !*display)
      o << "editor:          yes (size not asked: no X display)\n";
    else if (plugin.Dispatch(effEditGetRect, 0, 0, &rect) && rect)
      o << "editor:          " << rect->right - rect->left << " x " << rect->bottom - rect->top << "\n";
    else
      o << "editor:          yes (size given only once opened)\n";
  } else {
    o << "editor:          none\n";
  }
  return 0;
}
