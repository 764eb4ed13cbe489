#pragma once
// One plug-in instance seen from its host. The host callback finds the instance it belongs to
// through the record's host-reserved field, so any number of instances, created on any threads,
// live in one process without a table shared between them.
#include <string>

#include "effect/vst2/aeffect.h"
#include "tools/vst2host/plugin_library.h"

namespace vst2host {

class HostedEffect {
public:
  virtual ~HostedEffect() = default;
  HostedEffect(const HostedEffect&) = delete;
  HostedEffect& operator=(const HostedEffect&) = delete;

  AEffect* Effect() const { return mEffect; }
  // Called on whichever thread the caller plays: host main or GUI for most opcodes, audio for
  // processing ones.
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const {
    return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
  }

protected:
  HostedEffect() = default;
  // Creates the instance through ENTRY and checks its record; "" on success, else why it failed
  // (Effect() stays null), naming the plug-in NAME and the entry function ENTRY_NAME. Called from
  // the most derived constructor, since calls made during creation already reach Answer.
  std::string Create(PluginLibrary::Entry entry, const std::string& name, const std::string& entryName = "");
  // effClose, once; after it Effect() is null. Derived destructors call it while Answer still
  // works.
  void Close();

  // Answers one host callback. Called on the thread the plug-in calls from: host main or GUI for
  // most opcodes (automation from the editor included), the audio thread for time and events,
  // a host automation thread when the plug-in echoes a parameter change there.
  virtual VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) = 0;

private:
  static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt);

  AEffect* mEffect = nullptr;
};

}  // namespace vst2host
