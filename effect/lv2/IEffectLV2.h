#pragma once
// The LV2 form of the plug-in base. One class serves both halves LV2 keeps apart: the processing
// instance (control ports for the parameters, the audio ports of the stereo configuration, run,
// and the state interface carrying the program chunk), and the editor's instance, whose
// parameter gestures go to the host through the UI write function and touch, and whose controls
// follow the port events the host sends.
//
// Ports, in index order: one control input per parameter (real values, in parameter order), the
// audio inputs, then the audio outputs.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "effect/IEffectBase.h"

// What an entry function hands the adapter through IEffectInstanceInfo. A processing instance
// has the host's sample rate and features; an editor instance also has the host's write
// function and controller.
struct LV2InstanceContext {
  const char* mPluginURI = "";
  double mSampleRate = 44100.0;
  const LV2_Feature* const* mFeatures = nullptr;
  LV2UI_Write_Function mWrite = nullptr;
  LV2UI_Controller mController = nullptr;
};

class IEffectLV2 : public IEffectBase {
public:
  static constexpr int kDefaultBlockSize = 1024;  // when the host states no maximum

  IEffectLV2(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
             int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
             bool plugIsInst, int plugScChans);
  ~IEffectLV2() override;

  // GUI, without the plug-in mutex: touch, when the host offers it.
  void BeginInformHostOfParamChange(int paramIdx) override;
  // GUI, with the plug-in mutex: the editor instance writes the real value to the port.
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;                         // GUI
  void InformHostOfProgramChange() override {}                                    // host, GUI
  // LV2 hands transport only through an atom port, which this plug-in does not declare: no
  // position, no tempo, no time signature, as with a VST 2 host that answers nothing.
  int GetSamplePos() override { return 0; }                                       // audio
  double GetTempo() override { return 0.0; }                                      // audio
  void GetTimeSig(int* numerator, int* denominator) override {                    // audio
    *numerator = *denominator = 0;
  }
  void GetTime(ITimeInfo*) override {}                                            // audio
  void ResizeGraphics(int w, int h) override;                                     // GUI
  bool SendMidiMsg(IMidiMsg*) override { return false; }                          // audio

  // Port layout.
  int NPorts() const { return NParams() + NInChannels() + NOutChannels(); }
  int AudioInPort(int channel) const { return NParams() + channel; }
  int AudioOutPort(int channel) const { return NParams() + NInChannels() + channel; }
  // How a port's float value becomes a parameter value: toggles are on above zero, other
  // integer parameters take the nearest integer; then the range clamps.
  static bool IsToggle(const IParam& param);
  static double PortValueToParam(const IParam& param, float value);

  // The processing instance's LV2 calls. Instantiation class (host): the constructor, the state
  // calls and the destructor. Audio class: ConnectPort, Activate, Run, Deactivate.
  void ConnectPort(uint32_t port, void* data);
  void Activate();
  void Run(uint32_t nFrames);
  void Deactivate();
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // The editor instance's calls; GUI thread. PortEvent takes the host's float protocol only.
  void PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
  // Opens the editor in the host's parent window; its X Window id, or 0.
  unsigned long OpenEditor(void* parent);
  // Pumps the open editor; false when its window is gone.
  bool IdleEditor();
  void CloseEditor();

  // The state property: the program chunk, as an atom:Chunk keyed by the plug-in's URI and this.
  static constexpr const char* kStateKeySuffix = "#program";

private:
  // With the plug-in mutex.
  void ApplyControlPorts();
  void SetParamFromPort(int paramIdx, float value);
  void ReadOptions(const LV2_Feature* const* features);
  void FindFeatures(const LV2_Feature* const* features);

  // Host features, found at construction; read-only afterwards.
  LV2_URID_Map* mMap = nullptr;
  LV2UI_Write_Function mWrite = nullptr;
  LV2UI_Controller mController = nullptr;
  LV2UI_Touch* mTouch = nullptr;
  LV2UI_Resize* mResize = nullptr;
  LV2_URID mStateKey = 0;
  LV2_URID mChunkType = 0;

  // Audio class: the host's buffers, connected between runs.
  KIT_TypedBuf<const float*> mControlPorts;
  KIT_TypedBuf<float*> mInputPorts;
  KIT_TypedBuf<float*> mOutputPorts;
  // The last port value applied per parameter (NaN: none yet); audio, and the state calls, which
  // the host never runs at the same time as Run. Both under the plug-in mutex.
  KIT_TypedBuf<double> mAppliedPortValues;
};
