// Writes Verlo.lv2's turtle files from an instance of the effect: verlo_lv2_turtle FOLDER.
#include <cstdio>
#include <memory>

#include "effect/lv2/lv2_entry.h"
#include "examples/Verlo/IEffectEntryLV2.h"
#include "examples/Verlo/Verlo.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  LV2InstanceContext context;
  context.mPluginURI = VerloLV2Bundle().mPluginURI;
  std::unique_ptr<IEffectLV2> effect(lv2entry::Create<Verlo>(context));
  std::string error;
  if (!effect || !WriteLV2Bundle(*effect, VerloLV2Bundle(), argv[1], &error)) {
    fprintf(stderr, "verlo_lv2_turtle: %s\n", effect ? error.c_str() : "the effect could not be made");
    return 1;
  }
  return 0;
}
