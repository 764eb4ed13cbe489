#pragma once
// Plug-in formats, host applications and packed versions (major << 16 | minor << 8 | patch).

enum EAPI { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIRTAS, kAPIAAX, kAPISA, kAPILV2 };

enum EHost {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper,
  kHostProTools,
  kHostCubase,
  kHostNuendo,
  kHostSonar,
  kHostVegas,
  kHostFLStudio,
  kHostSamplitude,
  kHostLive,
  kHostMelodyne = 12,
  kHostVSTScanner,
  kHostAULab,
  kHostForte,
  kHostChainer,
  kHostAudition,
  kHostOrion,
  kHostSAWStudio = 20,
  kHostLogic,
  kHostGarageBand,
  kHostDigitalPerformer,
  kHostStandalone,
  kHostAudioMulch,
  kHostStudioOne,
  kHostVST3PluginTestHost,
  kHostArdour,
  kHostRenoise,
  kHostOpenMPT,
};

constexpr int kHostStrLen = 256;

// Product texts longer than 255 characters are looked up by their first 255.
EHost LookUpHost(const char* host);
// out holds at least 32 bytes.
void GetHostNameStr(EHost host, char* out);

void GetVersionParts(int version, int* major, int* minor, int* patch);
int GetDecimalVersion(int version);
// out holds at least 32 bytes.
void GetVersionStr(int version, char* out);
// Packed form of a decimal version such as 20000 for 2.0.0.
int PackDecimalVersion(int decimal);

// The kernel release, packed as hexadecimal digits: 6.1.0 gives 0x610.
int GetSystemVersion();
const char* GetAPIStr(int api);
