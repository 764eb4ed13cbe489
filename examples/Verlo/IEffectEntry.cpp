#include "examples/Verlo/IEffectEntry.h"

#include "examples/Verlo/Verlo.h"
#include "kit/mutex.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
  static KIT_Mutex sCreationMutex;  // hosts may create instances from several threads
  KIT_MutexLock lock(sCreationMutex);
  IEffectInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  Verlo* effect = new Verlo(info);
  effect->EnsureDefaultPreset();
  AEffect* record = effect->GetAEffect();
  if (record->numPrograms <= 0) record->numPrograms = 1;
  return record;
}

// Older hosts look the entry up as "main".
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMainAlias(audioMasterCallback hostCallback)
    asm("main");
extern "C" AEffect* VSTPluginMainAlias(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
