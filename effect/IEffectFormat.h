#pragma once
// The format adapter an effect derives from. Each plug-in binary is built for one format: the
// LV2 build defines VERLO_FORMAT_LV2, every other build gets the VST 2 adapter.
#if defined(VERLO_FORMAT_LV2)
#include "effect/lv2/IEffectLV2.h"
using IEffectFormat = IEffectLV2;
#else
#include "effect/IEffectVST.h"
using IEffectFormat = IEffectVST;
#endif
