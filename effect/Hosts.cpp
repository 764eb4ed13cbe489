#include "effect/Hosts.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#include "kit/Log.h"
#include "kit/kitcstring.h"

EHost LookUpHost(const char* host) {
  char lower[kHostStrLen];
  char text[kHostStrLen];
  KIT_CopyString(text, sizeof text, host);
  ToLower(lower, text);
  static const struct {
    const char* key;
    EHost host;
  } kKeys[] = {
      {"cubase", kHostCubase}, {"reaper", kHostReaper}, {"nuendo", kHostNuendo},
      {"cakewalk", kHostSonar}, {"samplitude", kHostSamplitude}, {"fruity", kHostFLStudio},
      {"live", kHostLive}, {"melodyne", kHostMelodyne}, {"vstmanlib", kHostVSTScanner},
      {"aulab", kHostAULab}, {"garageband", kHostGarageBand}, {"forte", kHostForte},
      {"chainer", kHostChainer}, {"audition", kHostAudition}, {"orion", kHostOrion},
      {"sawstudio", kHostSAWStudio}, {"logic", kHostLogic}, {"digital", kHostDigitalPerformer},
      {"audiomulch", kHostAudioMulch}, {"presonus", kHostStudioOne},
      {"vst3plugintesthost", kHostVST3PluginTestHost}, {"protools", kHostProTools},
      {"ardour", kHostArdour}, {"openmpt", kHostOpenMPT}, {"renoise", kHostRenoise},
      {"standalone", kHostStandalone},
  };
  for (const auto& k : kKeys)
    if (strstr(lower, k.key)) return k.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out) {
  static const char* const kNames[] = {
      "Unknown", "Reaper", "ProTools", "Cubase", "Nuendo", "Sonar", "Vegas", "FLStudio",
      "Samplitude", "Live", "Unknown", "Unknown", "Unknown", "VSTScanner", "AULab", "Forte",
      "Chainer", "Audition", "Orion", "Unknown", "SAWStudio", "Logic", "GarageBand",
      "DigitalPerformer", "Standalone", "AudioMulch", "StudioOne", "VST3PluginTestHost", "Ardour",
      "Renoise", "OpenMPT"};
  const int i = static_cast<int>(host);
  strcpy(out, i >= 1 && i <= 30 ? kNames[i] : "Unknown");
}

void GetVersionParts(int version, int* major, int* minor, int* patch) {
  *major = static_cast<int>(static_cast<unsigned>(version) >> 16);
  *minor = (version >> 8) & 0xff;
  *patch = version & 0xff;
}

int GetDecimalVersion(int version) {
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* out) {
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  snprintf(out, 32, "v%d.%d.%d", major, minor, patch);
}

int PackDecimalVersion(int decimal) {
  const int major = decimal / 10000;
  const int rest = decimal - major * 10000;
  const int minor = rest / 100;
  const int patch = rest - minor * 100;
  return static_cast<int>(static_cast<unsigned>(major) * 65536u + static_cast<unsigned>(minor * 256 + patch));
}

int GetSystemVersion() {
  struct utsname name;
  if (uname(&name) != 0) return 0;
  int major = 0, minor = 0, patch = 0;
  sscanf(name.release, "%d.%d.%d", &major, &minor, &patch);
  auto digit = [](int v) { return v < 0 ? 0 : (v > 15 ? 15 : v); };
  return (digit(major) << 8) | (digit(minor) << 4) | digit(patch);
}

const char* GetAPIStr(int api) {
  static const char* const kNames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2"};
  return api >= 0 && api < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[api] : "";
}
