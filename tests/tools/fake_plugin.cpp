// Small stand-ins for the plug-ins a host meets: FAKE_KIND picks one.
//   1: exports no entry function      2: the entry returns no record
//   3: the record has a bad magic     4: a working 1-in 1-out gain in dB that refuses non-numbers
//   5: that gain keeping its state in a chunk ("gain=X" in text), refusing any other chunk
//   6: that gain (without chunk) setting the process locale from the environment when loaded,
//      as plug-ins built on some toolkits do
//   7: that gain with an editor that opens without ever drawing anything
//   8: that gain, faulty: it crashes on blocks over 4096 frames and hangs at rates over 192 kHz
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <clocale>
#include <cstring>
#include <string>

#include <unistd.h>

#include "effect/vst2/aeffect.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

#if FAKE_KIND == 1

FAKE_EXPORT int NotAnEntryFunction() { return 0; }

#elif FAKE_KIND == 2

FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) { return nullptr; }

#elif FAKE_KIND == 3

FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
  static AEffect record{};
  record.magic = 0x12345678;
  return &record;
}

#elif FAKE_KIND >= 4 && FAKE_KIND <= 8

namespace {

constexpr double kMinDb = -24.0, kMaxDb = 24.0;

struct Gain {
  AEffect effect{};
  float normalized = 0.5f;  // 0 dB
  char chunk[32] = {};
  double Db() const { return kMinDb + (kMaxDb - kMinDb) * normalized; }
  float Factor() const { return static_cast<float>(std::pow(10.0, Db() / 20.0)); }
};

Gain* Self(AEffect* e) { return static_cast<Gain*>(e->object); }

void Copy(void* ptr, const char* text) { std::snprintf(static_cast<char*>(ptr), 8, "%s", text); }

VstIntPtr Dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, [[maybe_unused]] VstIntPtr value, void* ptr,
                     [[maybe_unused]] float opt) {
  Gain* g = Self(e);
  switch (opcode) {
    case effClose: delete g; return 1;
    case effGetParamName: Copy(ptr, index == 0 ? "Gain" : ""); return 1;
    case effGetParamLabel: Copy(ptr, "dB"); return 1;
    case effGetParamDisplay: std::snprintf(static_cast<char*>(ptr), 8, "%.2f", g->Db()); return 1;
    case effString2Parameter: {
      const char* text = static_cast<const char*>(ptr);
      char* end = nullptr;
      const double db = std::strtod(text, &end);
      if (end == text || *end || db < kMinDb || db > kMaxDb) return 0;
      g->normalized = static_cast<float>((db - kMinDb) / (kMaxDb - kMinDb));
      return 1;
    }
    case effGetEffectName: std::snprintf(static_cast<char*>(ptr), 32, "Fake Gain"); return 1;
    case effGetVendorString: std::snprintf(static_cast<char*>(ptr), 64, "Verlo tests"); return 1;
#if FAKE_KIND == 5
    case effGetChunk: {
      const int size = std::snprintf(g->chunk, sizeof g->chunk, "gain=%.9g", g->normalized);
      *static_cast<void**>(ptr) = g->chunk;
      return size;
    }
    case effSetChunk: {
      const std::string text(static_cast<const char*>(ptr), size_t(value));
      char* end = nullptr;
      const float x = text.rfind("gain=", 0) == 0 ? std::strtof(text.c_str() + 5, &end) : -1.0f;
      if (!end || *end || x < 0.0f || x > 1.0f) return 0;
      g->normalized = x;
      return 1;
    }
#endif
#if FAKE_KIND == 8
    case effSetSampleRate:
      while (opt > 192000.0f) sleep(1);
      return 1;
#endif
#if FAKE_KIND == 7
    case effEditGetRect: {
      static ERect rect = {0, 0, 120, 200};
      *static_cast<ERect**>(ptr) = &rect;
      return 1;
    }
    case effEditOpen: return 1;
    case effEditClose: return 1;
#endif
    default: return 0;
  }
}

void SetParameter(AEffect* e, VstInt32 index, float value) {
  if (index == 0) Self(e)->normalized = value;
}
float GetParameter(AEffect* e, VstInt32 index) { return index == 0 ? Self(e)->normalized : 0.0f; }

void ProcessReplacing(AEffect* e, float** in, float** out, VstInt32 frames) {
  const float f = Self(e)->Factor();
#if FAKE_KIND == 8
  if (frames > 4096) *static_cast<volatile float*>(nullptr) = f;
#endif
  for (VstInt32 i = 0; i < frames; ++i) out[0][i] = in[0][i] * f;
}

// The old accumulating call adds into what the host's output buffer already holds.
void Process(AEffect* e, float** in, float** out, VstInt32 frames) {
  const float f = Self(e)->Factor();
  for (VstInt32 i = 0; i < frames; ++i) out[0][i] += in[0][i] * f;
}

}  // namespace

FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
#if FAKE_KIND == 6
  std::setlocale(LC_ALL, "");
#endif
  Gain* g = new Gain;
  AEffect& e = g->effect;
  e.magic = kEffectMagic;
  e.dispatcher = Dispatcher;
  e.setParameter = SetParameter;
  e.getParameter = GetParameter;
  e.processReplacing = ProcessReplacing;
  e.process = Process;
  e.numParams = 1;
  e.numPrograms = 0;
  e.numInputs = 1;
  e.numOutputs = 1;
#if FAKE_KIND == 5
  e.flags = effFlagsCanReplacing | effFlagsProgramChunks;
  e.uniqueID = 0x46476E32;  // 'FGn2'
#elif FAKE_KIND == 7
  e.flags = effFlagsCanReplacing | effFlagsHasEditor;
  e.uniqueID = 0x46476E33;  // 'FGn3'
#else
  e.flags = effFlagsCanReplacing;
  e.uniqueID = 0x46476E31;  // 'FGn1'
#endif
  e.version = 1;
  e.object = g;
  return &e;
}

#endif
