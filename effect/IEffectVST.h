#pragma once
// The VST 2 form of the plug-in base: the effect record handed to the host, the dispatcher, the
// parameter and process entry points, and the messages the plug-in sends back to the host.
#include "effect/IEffectBase.h"
#include "effect/vst2/aeffect.h"

class IEffectVST : public IEffectBase {
public:
  IEffectVST(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
             int nPresets, const char* effectName, const char* productName, const char* mfrName,
             int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
             bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IEffectVST() override;

  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  void AttachGraphics(IGraphics* graphics) override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* msg) override;

  bool SendVSTEvent(VstEvent* event);
  audioMasterCallback GetHostCallback() const { return mHostCallback; }
  AEffect* GetAEffect() { return &mAEffect; }

  static int VSTSpkrArrType(int nChannels);

  static VstIntPtr VSTDispatcher(AEffect* effect, VstInt32 opCode, VstInt32 idx, VstIntPtr value,
                                 void* ptr, float opt);
  static float VSTGetParameter(AEffect* effect, VstInt32 idx);
  static void VSTSetParameter(AEffect* effect, VstInt32 idx, float value);
  static void VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames);
  static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                  VstInt32 nFrames);
  static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                        VstInt32 nFrames);

private:
  VstIntPtr Dispatch(VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr, float opt);
  VstIntPtr GetChunk(bool bank, void** data);
  VstIntPtr SetChunk(bool bank, const void* data, VstIntPtr size);
  VstIntPtr ProcessEvents(const VstEvents* events);
  VstIntPtr StringToParameter(int idx, const char* text);
  VstIntPtr PinProperties(bool input, int idx, VstPinProperties* properties);
  VstIntPtr VendorSpecific(int idx, VstIntPtr value, void* ptr, float opt);
  VstIntPtr CanDo(const char* text);
  void ConnectFromArrangement(bool input, const VstSpeakerArrangement* arrangement);
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  const VstTimeInfo* AskTime(VstInt32 mask);
  void WantMidi();
  // The editor size the host reads with effEditGetRect.
  void SetEditRectFromGUI();

  ERect mEditRect{};
  audioMasterCallback mHostCallback;
  VstSpeakerArrangement mInputSpkrArr;
  VstSpeakerArrangement mOutputSpkrArr;
  bool mHostSpecificInitDone = false;
  ByteChunk mState;
  ByteChunk mBankState;
  AEffect mAEffect;
};

// The published sizes of the hosts' text buffers that the dispatcher writes into. Parameter
// texts have no usable published size (8 bytes would cut most names); our parameter fields
// hold 31 characters, so 32 bytes is never exceeded by what we have to say.
constexpr int kVstParamTextLen = 32;
