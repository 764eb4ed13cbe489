#include "effect/lv2/lv2_entry.h"

#include <cstring>

namespace lv2entry {
namespace {
IEffectLV2* Instance(void* handle) { return static_cast<IEffectLV2*>(handle); }

int Idle(LV2UI_Handle handle) { return Instance(handle)->IdleEditor() ? 0 : 1; }
}  // namespace

KIT_Mutex& CreationMutex() {
  static KIT_Mutex mutex;
  return mutex;
}

void* FindParent(const LV2_Feature* const* features) {
  for (; features && *features; ++features)
    if ((*features)->URI && strcmp((*features)->URI, LV2_UI__parent) == 0) return (*features)->data;
  return nullptr;
}

LV2_State_Status SaveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                           uint32_t, const LV2_Feature* const*) {
  return Instance(handle)->SaveState(store, state);
}

LV2_State_Status RestoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
  return Instance(handle)->RestoreState(retrieve, state);
}

const void* PluginExtensionData(const char* uri) {
  static const LV2_State_Interface state = {SaveState, RestoreState};
  return uri && strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) { Instance(handle)->ConnectPort(port, data); }
void Activate(LV2_Handle handle) { Instance(handle)->Activate(); }
void Run(LV2_Handle handle, uint32_t nFrames) { Instance(handle)->Run(nFrames); }
void Deactivate(LV2_Handle handle) { Instance(handle)->Deactivate(); }
void Cleanup(LV2_Handle handle) { delete Instance(handle); }

void UIPortEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  Instance(handle)->PortEvent(port, bufferSize, format, buffer);
}

// Closes the window before the instance goes, on the GUI thread that owns it.
void UICleanup(LV2UI_Handle handle) {
  IEffectLV2* effect = Instance(handle);
  effect->CloseEditor();
  delete effect;
}

const void* UIExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface idle = {Idle};
  return uri && strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

}  // namespace lv2entry
