#pragma once
// Loading a VST 2 plug-in the way a DAW does: dlopen the shared object, call its entry function
// with our host callback, check the record, then drive the instance through its dispatcher.
#include <functional>
#include <string>

#include "effect/vst2/aeffect.h"
#include "tools/vst2host/hosted_effect.h"

// A plug-in's shared object, as the host core opens it; throws HostError when it cannot.
class PluginLibrary : public vst2host::PluginLibrary {
public:
  explicit PluginLibrary(const std::string& path);
};

// What an open editor reports through the host callback: a gesture on a parameter begins, its
// value changes (normalised), the gesture ends.
struct EditReport {
  enum Kind { kBegin, kChange, kEnd } kind;
  int index;
  float value;  // kChange only
};

// What the host callback tells an instance about the transport.
struct HostContext {
  double sampleRate = 44100.0;
  int blockSize = 512;
  double samplePos = 0.0;
  VstTimeInfo timeInfo{};
};

class PluginInstance : public vst2host::HostedEffect {
public:
  // Creates the instance through the entry function, checks the record and opens it at the
  // given rate and block size. Throws HostError for a null record or a bad magic.
  PluginInstance(PluginLibrary& library, double sampleRate, int blockSize);
  ~PluginInstance() override;

  HostContext& Context() { return mContext; }
  // A text opcode (names, labels, displays) into a zeroed buffer far larger than the VST
  // limits, since plug-ins routinely overrun them.
  std::string Text(VstInt32 opcode, VstInt32 index = 0);
  std::string Name();  // effect name, else product string, else the file name

  std::string ParamName(int index) { return Text(effGetParamName, index); }
  std::string ParamLabel(int index) { return Text(effGetParamLabel, index); }
  std::string ParamDisplay(int index) { return Text(effGetParamDisplay, index); }
  std::string ParamShown(int index);  // display and label: "0.50 ms"

  // Tells the plug-in the channel layout; true when it accepted.
  bool SetArrangement(int inputs, int outputs);
  void Resume();
  void Suspend();
  void AdvanceTransport(int frames);

  // Set by the editor commands; called on the main thread (verlo-host's only one) from inside
  // the plug-in's own calls, effEditIdle mostly. onSizeWindow answers the editor's request for a
  // new window size: true when the window took it.
  std::function<void(const EditReport&)> onEdit;
  std::function<bool(int width, int height)> onSizeWindow;

protected:
  // The thread the plug-in calls from: the main thread mostly; in the stress checks also the
  // audio, automation and GUI threads, which only read what stays fixed while they run.
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

private:
  void UpdateTimeInfo();

  PluginLibrary& mLibrary;
  HostContext mContext;
  bool mActive = false;
};

std::string FourCC(VstInt32 id);

// A path beside this program's executable, such as the Verlo.vst/Verlo.so built next to it.
std::string BesideThisProgram(const std::string& relative);
