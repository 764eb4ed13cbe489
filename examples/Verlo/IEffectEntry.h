#pragma once
// The exported entry: one call builds one instance and hands the host its effect record.
#include "effect/vst2/aeffect.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback);
