#pragma once
// Offline rendering of an audio file through a plug-in, block by block, as a DAW's bounce does.
#include <ostream>
#include <string>

#include "settings.h"

enum class Precision { kFloat, kDouble, kAccumulate };

struct RenderOptions {
  int block = 512;
  Precision precision = Precision::kFloat;
  PluginSettings settings;
  std::string plotPath;  // a picture of input and output (render --plot), when not empty
};

Precision ParsePrecision(const std::string& text);  // throws UsageError
const char* PrecisionName(Precision p);

// Everything that can fail (plug-in, settings, input, output) fails before the output appears.
void RenderFile(const std::string& pluginPath, const std::string& inPath, const std::string& outPath,
                const RenderOptions& options, std::ostream& log);
