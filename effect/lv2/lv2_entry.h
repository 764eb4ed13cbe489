#pragma once
// The LV2 descriptors of one effect class: the plug-in's (instantiate, connect_port, activate,
// run, deactivate, cleanup and the state interface) and its X11 editor's (instantiate in the
// host's parent, port events, cleanup and the idle interface). A plug-in's entry file returns
// them from lv2_descriptor and lv2ui_descriptor.
#include <new>

#include "effect/lv2/IEffectLV2.h"
#include "kit/mutex.h"

namespace lv2entry {

// Every instance is created under this lock: hosts may instantiate from several threads.
KIT_Mutex& CreationMutex();
// The host's ui:parent, or null.
void* FindParent(const LV2_Feature* const* features);

// The plug-in's calls. Host threads: save on any host thread, even while run runs; restore,
// instantiate and cleanup on the host's main thread with nothing else running on the instance.
LV2_State_Status SaveState(LV2_Handle, LV2_State_Store_Function, LV2_State_Handle, uint32_t,
                           const LV2_Feature* const*);
LV2_State_Status RestoreState(LV2_Handle, LV2_State_Retrieve_Function, LV2_State_Handle, uint32_t,
                              const LV2_Feature* const*);
const void* PluginExtensionData(const char* uri);  // any thread
void Cleanup(LV2_Handle);
// Audio: the host's audio thread (connect_port and activate may also come from its main thread
// while the instance is not running).
void ConnectPort(LV2_Handle, uint32_t port, void* data);
void Activate(LV2_Handle);
void Run(LV2_Handle, uint32_t nFrames);
void Deactivate(LV2_Handle);
// The editor's calls, all on the host's GUI thread, which owns the editor.
void UIPortEvent(LV2UI_Handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
void UICleanup(LV2UI_Handle);
const void* UIExtensionData(const char* uri);  // any thread

// A new instance of T, constructed with the context and given the state a host expects after
// instantiation: every parameter handed to the effect once, a default preset. Null on failure.
template <class T> IEffectLV2* Create(const LV2InstanceContext& context) {
  KIT_MutexLock lock(CreationMutex());
  IEffectInstanceInfo info;
  info.mLV2Context = &context;
  IEffectLV2* effect = new (std::nothrow) T(info);
  if (!effect) return nullptr;
  effect->EnsureDefaultPreset();
  effect->OnParamReset();
  return effect;
}

template <class T> struct Descriptors {
  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate, const char*,
                                const LV2_Feature* const* features) {
    LV2InstanceContext context;
    context.mPluginURI = descriptor->URI;
    context.mSampleRate = sampleRate;
    context.mFeatures = features;
    return Create<T>(context);
  }

  // The editor needs the host's parent window to live in; without one there is no editor.
  static LV2UI_Handle InstantiateUI(const LV2UI_Descriptor*, const char* pluginURI, const char*,
                                    LV2UI_Write_Function write, LV2UI_Controller controller,
                                    LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = FindParent(features);
    if (!parent || !widget) return nullptr;
    LV2InstanceContext context;
    context.mPluginURI = pluginURI;
    context.mFeatures = features;
    context.mWrite = write;
    context.mController = controller;
    IEffectLV2* effect = Create<T>(context);
    if (!effect) return nullptr;
    const unsigned long window = effect->OpenEditor(parent);
    if (!window) {
      delete effect;
      return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window);
    return effect;
  }

  static const LV2_Descriptor* Plugin(const char* uri) {
    static const LV2_Descriptor descriptor = {uri,       Instantiate, ConnectPort, Activate,
                                              Run,       Deactivate,  Cleanup,     PluginExtensionData};
    return &descriptor;
  }

  static const LV2UI_Descriptor* UI(const char* uri) {
    static const LV2UI_Descriptor descriptor = {uri, InstantiateUI, UICleanup, UIPortEvent, UIExtensionData};
    return &descriptor;
  }
};

}  // namespace lv2entry
