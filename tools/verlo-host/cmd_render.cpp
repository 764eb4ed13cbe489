#include <iostream>

#include "args.h"
#include "commands.h"
#include "error.h"
#include "render.h"

namespace {
const char kHelp[] =
    "usage: verlo-host render PLUGIN IN OUT [options]\n"
    "\n"
    "Renders the audio file IN through PLUGIN offline and writes OUT. IN is anything libsndfile\n"
    "reads (WAV, FLAC, AIFF, Ogg, ...); OUT's format follows its extension and keeps IN's sample\n"
    "encoding when it can. The sample rate is IN's. A mono file into a stereo plug-in asks it for\n"
    "a mono arrangement when it offers one (else feeds every input); a stereo file into a mono\n"
    "plug-in runs one instance per channel. What was done is printed. OUT appears only complete:\n"
    "a failure, or SIGINT, SIGTERM or SIGHUP (exit status 128 + the signal), leaves none of it.\n"
    "An existing OUT is replaced by a new file with its permission bits; when OUT is a symbolic\n"
    "link, the file it points to is replaced and the link stays; when OUT is one of several hard\n"
    "links, the name OUT gets the new file and the other names keep the old content.\n"
    "When stderr is a terminal, a render that runs longer than 0.4 s shows a progress bar there.\n"
    "\n"
    "options:\n"
    "  --set NAME=VALUE          set a parameter in the plug-in's own display units (repeatable;\n"
    "                            NAME is case-insensitive)\n"
    "  --set-normalized NAME=X   set a parameter to the normalised value X in 0..1 (repeatable)\n"
    "  --block N                 frames per process call (default 512)\n"
    "  --precision P             float (processReplacing, default), double\n"
    "                            (processDoubleReplacing) or accumulate (process)\n"
    "  --program N               select program N first\n"
    "  --state FILE              load a program or bank file (.fxp/.fxb, from 'state save')\n"
    "                            after the program and before the --set options\n"
    "  --plot OUT.png            also draw a picture of the input and output over time: the lowest\n"
    "                            and highest sample per pixel column of each channel, the output\n"
    "                            over the input, with a time axis in seconds\n";
}  // namespace

int CommandRender(int argc, char** argv) {
  std::vector<OptionDef> defs = kSettingOptions;
  defs.push_back({"block", true});
  defs.push_back({"precision", true});
  defs.push_back({"plot", true});
  Args args(argc, argv, defs);
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.Positional().size() != 3) throw UsageError("render takes PLUGIN IN OUT\n\n" + std::string(kHelp));
  RenderOptions options;
  options.block = static_cast<int>(ParseInteger(args.Last("block", "512"), "--block"));
  options.precision = ParsePrecision(args.Last("precision", "float"));
  options.settings = SettingsFromArgs(args);
  options.plotPath = args.Last("plot");
  const auto& p = args.Positional();
  RenderFile(p[0], p[1], p[2], options, std::cout);
  return 0;
}
