#pragma once
// The VST 2.4 plug-in interface: records, opcodes and flags with the published names, values
// and memory layout (x86-64, default calling convention, pointer-sized fields as intptr_t).
#include <cstddef>
#include <cstdint>

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstIntPtr = intptr_t;

struct AEffect;
using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                                    VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);

constexpr VstInt32 kEffectMagic = 0x56737450;  // 'VstP'

struct AEffect {
  VstInt32 magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

enum VstAEffectFlags {
  effFlagsHasEditor = 1 << 0,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsCanDoubleReplacing = 1 << 12,
  effFlagsCanMono = 1 << 3,
};

enum AEffectOpcodes {
  effOpen = 0, effClose, effSetProgram, effGetProgram, effSetProgramName, effGetProgramName,
  effGetParamLabel, effGetParamDisplay, effGetParamName, effGetVu, effSetSampleRate,
  effSetBlockSize, effMainsChanged, effEditGetRect, effEditOpen, effEditClose, effEditDraw,
  effEditMouse, effEditKey, effEditIdle, effEditTop, effEditSleep, effIdentify, effGetChunk,
  effSetChunk, effProcessEvents, effCanBeAutomated, effString2Parameter, effGetNumProgramCategories,
  effGetProgramNameIndexed, effCopyProgram, effConnectInput, effConnectOutput,
  effGetInputProperties, effGetOutputProperties, effGetPlugCategory, effGetCurrentPosition,
  effGetDestinationBuffer, effOfflineNotify, effOfflinePrepare, effOfflineRun, effProcessVarIo,
  effSetSpeakerArrangement, effSetBlockSizeAndSampleRate, effSetBypass, effGetEffectName,
  effGetErrorText, effGetVendorString, effGetProductString, effGetVendorVersion,
  effVendorSpecific, effCanDo, effGetTailSize, effIdle, effGetIcon, effSetViewPosition,
  effGetParameterProperties, effKeysRequired, effGetVstVersion, effEditKeyDown, effEditKeyUp,
  effSetEditKnobMode, effGetMidiProgramName, effGetCurrentMidiProgram, effGetMidiProgramCategory,
  effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram, effEndSetProgram,
  effGetSpeakerArrangement, effShellGetNextPlugin, effStartProcess, effStopProcess,
  effSetTotalSampleToProcess, effSetPanLaw, effBeginLoadBank, effBeginLoadProgram,
  effSetProcessPrecision, effGetNumMidiInputChannels, effGetNumMidiOutputChannels,
};
static_assert(effGetSpeakerArrangement == 69 && effSetProcessPrecision == 77, "opcode numbering");

enum AudioMasterOpcodes {
  audioMasterAutomate = 0, audioMasterVersion = 1, audioMasterCurrentId = 2, audioMasterIdle = 3,
  audioMasterWantMidi = 6, audioMasterGetTime = 7, audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13, audioMasterSizeWindow = 15, audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17, audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetVendorString = 32, audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34, audioMasterCanDo = 37, audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43, audioMasterEndEdit = 44,
};

enum VstStringLengths {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

enum VstPlugCategory { kPlugCategUnknown = 0, kPlugCategEffect, kPlugCategSynth };
enum VstProcessLevels { kVstProcessLevelOffline = 4 };

struct ERect {
  VstInt16 top, left, bottom, right;
};

enum VstTimeInfoFlags {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct VstTimeInfo {
  double samplePos, sampleRate, nanoSeconds, ppqPos, tempo, barStartPos, cycleStartPos,
      cycleEndPos;
  VstInt32 timeSigNumerator, timeSigDenominator, smpteOffset, smpteFrameRate, samplesToNextClock,
      flags;
};

enum VstEventTypes { kVstMidiType = 1, kVstSysExType = 6 };

struct VstEvent {
  VstInt32 type, byteSize, deltaFrames, flags;
  char data[16];
};

struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];  // numEvents entries in practice
};

struct VstMidiEvent {
  VstInt32 type, byteSize, deltaFrames, flags, noteLength, noteOffset;
  char midiData[4];
  char detune, noteOffVelocity, reserved1, reserved2;
};

struct VstMidiSysexEvent {
  VstInt32 type, byteSize, deltaFrames, flags, dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

enum VstPinPropertiesFlags { kVstPinIsActive = 1, kVstPinIsStereo = 2, kVstPinUseSpeaker = 4 };

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags, arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstSpeakerArrangementType {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
};

struct VstSpeakerProperties {
  float azimuth, elevation, radius, reserved;
  char name[kVstMaxNameLen];
  VstInt32 type;
  char future[28];
};

struct VstSpeakerArrangement {
  VstInt32 type, numChannels;
  VstSpeakerProperties speakers[8];
};

struct MidiKeyName {
  VstInt32 thisProgramIndex, thisKeyNumber;
  char keyName[kVstMaxNameLen];
  VstInt32 reserved, flags;
};

// The layout hosts compiled against.
static_assert(sizeof(AEffect) == 192, "AEffect size");
static_assert(offsetof(AEffect, dispatcher) == 8 && offsetof(AEffect, process) == 16 &&
                  offsetof(AEffect, setParameter) == 24 && offsetof(AEffect, getParameter) == 32,
              "AEffect function pointers");
static_assert(offsetof(AEffect, numPrograms) == 40 && offsetof(AEffect, numParams) == 44 &&
                  offsetof(AEffect, numInputs) == 48 && offsetof(AEffect, numOutputs) == 52 &&
                  offsetof(AEffect, flags) == 56,
              "AEffect counts");
static_assert(offsetof(AEffect, resvd1) == 64 && offsetof(AEffect, resvd2) == 72 &&
                  offsetof(AEffect, initialDelay) == 80 && offsetof(AEffect, realQualities) == 84 &&
                  offsetof(AEffect, offQualities) == 88 && offsetof(AEffect, ioRatio) == 92,
              "AEffect reserved and qualities");
static_assert(offsetof(AEffect, object) == 96 && offsetof(AEffect, user) == 104 &&
                  offsetof(AEffect, uniqueID) == 112 && offsetof(AEffect, version) == 116 &&
                  offsetof(AEffect, processReplacing) == 120 &&
                  offsetof(AEffect, processDoubleReplacing) == 128 &&
                  offsetof(AEffect, future) == 136,
              "AEffect tail");
static_assert(sizeof(VstTimeInfo) == 88 && offsetof(VstTimeInfo, timeSigNumerator) == 64 &&
                  offsetof(VstTimeInfo, flags) == 84,
              "VstTimeInfo");
static_assert(offsetof(VstEvents, reserved) == 8 && offsetof(VstEvents, events) == 16, "VstEvents");
static_assert(sizeof(VstEvent) == 32, "VstEvent");
static_assert(sizeof(VstMidiEvent) == 32 && offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent");
static_assert(sizeof(VstMidiSysexEvent) == 48 && offsetof(VstMidiSysexEvent, sysexDump) == 32,
              "VstMidiSysexEvent");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties");
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties");
static_assert(sizeof(VstSpeakerArrangement) == 8 + 8 * 112, "VstSpeakerArrangement");
static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName");
static_assert(sizeof(ERect) == 8, "ERect");
