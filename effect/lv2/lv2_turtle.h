#pragma once
// The turtle files of an LV2 bundle, written from a live instance of the effect so that they say
// what the code does: manifest.ttl, and the plug-in's own file with its ports (names, ranges,
// defaults and kinds read from the parameters), its editor and its presets.
#include <string>

#include "effect/lv2/IEffectLV2.h"

// The unit a parameter's processing uses, which its display label need not say.
struct LV2ParamUnit {
  int mParamIdx;
  const char* mUnitURI;
};

// What the bundle says beyond the effect's own parameters.
struct LV2BundleInfo {
  const char* mPluginURI;
  const char* mUIURI;
  const char* mPluginClass;  // an lv2: class name, such as "ModulatorPlugin"
  const char* mBinary;       // the shared object's file name, beside the turtle files
  const char* mTurtle;       // the plug-in's own turtle file name
  const LV2ParamUnit* mUnits;
  int mNUnits;
};

// A port symbol from a parameter name: lower case letters, digits and underscores, never
// starting with a digit.
std::string LV2PortSymbol(const char* name);

// Writes manifest.ttl and info.mTurtle into folder; restores each preset of effect on the way.
// false, with the reason in *error, when a file cannot be written.
bool WriteLV2Bundle(IEffectLV2& effect, const LV2BundleInfo& info, const std::string& folder,
                    std::string* error);
