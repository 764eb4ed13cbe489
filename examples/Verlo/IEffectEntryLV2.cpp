#include "examples/Verlo/IEffectEntryLV2.h"

#include <lv2/units/units.h>

#include "effect/lv2/lv2_entry.h"
#include "examples/Verlo/Verlo.h"

namespace {
constexpr char kPluginURI[] = "https://quenmarrow.example/plugins/verlo";
constexpr char kUIURI[] = "https://quenmarrow.example/plugins/verlo#ui";

// FADE sets the smoother's frequency, CHOP is a time in seconds, DRY a gain factor, OUTPUT a
// level in decibels: what the processing does with them, whatever their display labels say.
constexpr LV2ParamUnit kUnits[] = {{Verlo::kFade, LV2_UNITS__hz},
                                   {Verlo::kChop, LV2_UNITS__s},
                                   {Verlo::kDry, LV2_UNITS__coef},
                                   {Verlo::kOutput, LV2_UNITS__db}};
}  // namespace

const LV2BundleInfo& VerloLV2Bundle() {
  static const LV2BundleInfo info = {kPluginURI, kUIURI, "ModulatorPlugin", "Verlo.so", "Verlo.ttl", kUnits,
                                     static_cast<int>(sizeof kUnits / sizeof kUnits[0])};
  return info;
}

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? lv2entry::Descriptors<Verlo>::Plugin(kPluginURI) : nullptr;
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? lv2entry::Descriptors<Verlo>::UI(kUIURI) : nullptr;
}
