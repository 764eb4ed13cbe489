#pragma once
// Verlo as an LV2 plug-in: its URIs, the units its processing uses, and the exported
// descriptors of the plug-in and its X11 editor.
#include "effect/lv2/lv2_turtle.h"

const LV2BundleInfo& VerloLV2Bundle();
