#pragma once
// Records exchanged between the plug-in base, the format adapter and the editor.
#include <cstdint>

#include "effect/vst2/aeffect.h"
#include "kit/heapbuf.h"

class IGraphics;
struct LV2InstanceContext;

// Carries what the host gave the entry function to the format adapter: the VST 2 host callback,
// or the LV2 host's features (for the processing instance or for the editor's instance).
struct IEffectInstanceInfo {
  audioMasterCallback mVSTHostCallback = nullptr;
  const LV2InstanceContext* mLV2Context = nullptr;
};

struct ITimeInfo {
  double mTempo = 0.0;
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;
  double mLastBar = 0.0;
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int mNumerator = 0;
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// One short MIDI message at a sample offset within the current block.
struct IMidiMsg {
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14,
  };
  using EControlChangeMsg = int;

  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  void MakePitchWheelMsg(double value, int channel = 0);
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);
  void Clear() { *this = IMidiMsg(); }

  int Channel() const { return mStatus & 0x0f; }
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  double PitchWheel() const;
  EControlChangeMsg ControlChangeIdx() const { return mData1; }
  double ControlChange(EControlChangeMsg idx) const;
  void LogMsg() const {}
};

// A system-exclusive message; the bytes are borrowed, never owned.
struct ISysEx {
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;

  ISysEx() = default;
  ISysEx(int offset, const uint8_t* data, int size) : mOffset(offset), mSize(size), mData(data) {}
  void Clear() { *this = ISysEx(); }
  void LogMsg() const {}
};

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg);
// Hexadecimal bytes separated by single spaces, as many as fit in bufferSize / 3.
char* SysExStr(char* buffer, int bufferSize, const uint8_t* data, int size);
