// Loads the built plug-in (or the one named on the command line), opens an instance, reads a
// parameter's display, closes the instance and unloads the plug-in, 20 times over, as a host that
// rescans its plug-ins does. Run under a leak checker; exits 1 if a cycle fails.
#include <cstdio>

#include "tests/vst2/test_host.h"

int main(int argc, char** argv) {
  for (int cycle = 0; cycle < 20; ++cycle) {
    PluginLibrary library(argc > 1 ? argv[1] : VERLO_PLUGIN_PATH);
    if (!library.Loaded()) {
      fprintf(stderr, "cycle %d: %s\n", cycle, library.Error().c_str());
      return 1;
    }
    TestHost host(library);
    if (!host.Effect()) {
      fprintf(stderr, "cycle %d: the entry function made no effect\n", cycle);
      return 1;
    }
    host.Start();
    char display[64];  // hosts give more than the 8 bytes the interface names
    host.Dispatch(effGetParamDisplay, 0, 0, display);  // number texts use a C locale object
  }
  return 0;
}
