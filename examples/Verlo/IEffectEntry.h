#pragma once
// The exported entry: one call builds one instance and hands the host its effect record; and the
// factory of the platform's editor that the effect builds its editor with.
#include "effect/vst2/aeffect.h"

class IEffectBase;
class IGraphics;

// The platform editor of w x h at fps frames per second (25 for 0), with the bundle identifier it
// finds its artwork by.
IGraphics* MakeGraphics(IEffectBase* plug, int w, int h, int fps = 0);

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback);
