#include <iostream>
#include <vector>

#include "args.h"
#include "atomic_file.h"
#include "commands.h"
#include "editor_window.h"
#include "error.h"
#include "interrupt.h"
#include "plugin.h"
#include "settings.h"
#include "text.h"

namespace {

const char kHelp[] =
    "usage: verlo-host editor PLUGIN [--set NAME=VALUE ...] [--set-normalized NAME=X ...] [--program N]\n"
    "                         [--state FILE] [--save FILE]\n"
    "\n"
    "Opens PLUGIN's editor in a window of its own, titled with the plug-in's name, after applying\n"
    "the settings (as render does), and drives it as a DAW does until the window is closed. Each\n"
    "parameter change the editor reports is printed as it comes, \"NAME = VALUE\", between the\n"
    "\"NAME: begin\" and \"NAME: end\" of the gesture that made it. With --save FILE the state left\n"
    "in the plug-in is written to FILE once the window is closed: a bank file when FILE ends in\n"
    ".fxb, else a program file (.fxp). Needs an X display (DISPLAY). SIGINT, SIGTERM or SIGHUP\n"
    "end it without saving.\n";

// Changes arrive from inside effEditIdle; they are printed once it has returned, when the
// plug-in is free to be asked for its displays. Of a run of changes to one parameter only the
// last is printed, since the display read then shows that one.
class ChangePrinter {
public:
  explicit ChangePrinter(PluginInstance& plugin) : mPlugin(plugin) {
    plugin.onEdit = [this](const EditReport& r) { mPending.push_back(r); };
  }
  ~ChangePrinter() { mPlugin.onEdit = nullptr; }

  void Flush(std::ostream& o) {
    const int params = mPlugin.Effect()->numParams;
    for (size_t i = 0; i < mPending.size(); ++i) {
      const EditReport& r = mPending[i];
      if (r.index < 0 || r.index >= params) continue;
      const std::string name = mPlugin.ParamName(r.index);
      if (r.kind == EditReport::kBegin) o << name << ": begin\n";
      if (r.kind == EditReport::kEnd) o << name << ": end\n";
      if (r.kind == EditReport::kChange && !Superseded(i)) o << name << " = " << mPlugin.ParamShown(r.index) << "\n";
    }
    mPending.clear();
    o.flush();
  }

private:
  bool Superseded(size_t i) const {
    for (size_t j = i + 1; j < mPending.size(); ++j)
      if (mPending[j].index == mPending[i].index) return mPending[j].kind == EditReport::kChange;
    return false;
  }

  PluginInstance& mPlugin;
  std::vector<EditReport> mPending;
};

bool IsBankFile(const std::string& path) {
  return path.size() >= 4 && Lower(path.substr(path.size() - 4)) == ".fxb";
}

}  // namespace

int CommandEditor(int argc, char** argv) {
  std::vector<OptionDef> defs = kSettingOptions;
  defs.push_back({"save", true});
  Args args(argc, argv, defs);
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.Positional().size() != 1) throw UsageError("editor takes PLUGIN\n\n" + std::string(kHelp));
  const std::string save = args.Last("save");
  if (!save.empty()) TempFile probe(save);  // a place we cannot write fails now, not after the session
  const PluginSettings settings = SettingsFromArgs(args);
  const InterruptWatch interrupts;
  PluginLibrary library(args.Positional()[0]);
  PluginInstance plugin(library, 44100.0, 512);
  ApplySettings(plugin, settings, std::cout);
  ChangePrinter changes(plugin);
  {
    EditorWindow window(plugin, Placement::kManaged);
    std::cout << "the editor of " << plugin.Name() << " is open (" << window.Width() << " x " << window.Height()
              << "); close its window to end" << std::endl;
    while (window.Tick()) {
      changes.Flush(std::cout);
      interrupts.Check(save);
    }
  }
  changes.Flush(std::cout);  // with what closing the editor reported
  std::cout << "the editor's window was closed\n";
  if (!save.empty()) SaveStateFile(plugin, save, IsBankFile(save), std::cout);
  return 0;
}
