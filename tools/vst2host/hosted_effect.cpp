#include "tools/vst2host/hosted_effect.h"

#include <cstdio>

namespace vst2host {
namespace {

// The instance whose entry function is running on this thread: the plug-in may call back before
// it has returned its record, so before the record can point here.
thread_local HostedEffect* tCreating = nullptr;

}  // namespace

std::string HostedEffect::Create(PluginLibrary::Entry entry, const std::string& name, const std::string& entryName) {
  if (!entry) return "'" + name + "' exports no entry function";
  HostedEffect* const outer = tCreating;  // an entry function may create another host's instance
  tCreating = this;
  AEffect* effect = entry(&Callback);
  tCreating = outer;
  if (!effect)
    return "'" + name + "': the entry function " + (entryName.empty() ? "" : entryName + " ") +
           "returned no effect record";
  if (effect->magic != kEffectMagic) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(effect->magic));
    return "'" + name + "': the effect record has the magic " + hex + " instead of 'VstP'; not a VST 2 plug-in";
  }
  // The second reserved field belongs to the host; the plug-in leaves it alone.
  effect->resvd2 = reinterpret_cast<VstIntPtr>(this);
  mEffect = effect;
  return "";
}

void HostedEffect::Close() {
  if (!mEffect) return;
  Dispatch(effClose);  // the record is freed by this call
  mEffect = nullptr;
}

VstIntPtr HostedEffect::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
  HostedEffect* self = effect && effect->resvd2 ? reinterpret_cast<HostedEffect*>(effect->resvd2) : tCreating;
  if (self) return self->Answer(opcode, index, value, ptr, opt);
  return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace vst2host
