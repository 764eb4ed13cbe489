#include <algorithm>
#include <cstdio>

#include "effect/IEffectStructs.h"

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0x90 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0x80 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0xE0 | channel);
  const double scaled = std::clamp(value, -2.0, 2.0) * 8192.0;  // keeps the cast in range
  const int i = std::clamp(static_cast<int>(scaled) + 8192, 0, 16383);
  mData1 = static_cast<uint8_t>(i & 127);
  mData2 = static_cast<uint8_t>(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
  Clear();
  mStatus = static_cast<uint8_t>(0xB0 | channel);
  mData1 = static_cast<uint8_t>(idx);
  mData2 = static_cast<uint8_t>(static_cast<int>(std::clamp(value, 0.0, 1.0) * 127.0));
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  const int kind = mStatus >> 4;
  return kind >= kNoteOff && kind <= kPitchWheel ? static_cast<EStatusMsg>(kind) : kNone;
}

int IMidiMsg::NoteNumber() const {
  const EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn || kind == kPolyAftertouch ? mData1 : -1;
}

int IMidiMsg::Velocity() const {
  const EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const { return StatusMsg() == kPolyAftertouch ? mData2 : -1; }
int IMidiMsg::ChannelAfterTouch() const { return StatusMsg() == kChannelAftertouch ? mData1 : -1; }
int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const {
  if (StatusMsg() != kPitchWheel) return 0.0;
  return static_cast<double>((mData2 << 7) + mData1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
  if (StatusMsg() == kControlChange && mData1 == idx) return mData2 / 127.0;
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg) {
  switch (msg) {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
  }
  return "unknown";
}

char* SysExStr(char* buffer, int bufferSize, const uint8_t* data, int size) {
  if (!buffer || bufferSize <= 0) return buffer;
  buffer[0] = 0;
  const int n = data && size > 0 ? std::min(size, bufferSize / 3) : 0;
  for (int i = 0; i < n; ++i) snprintf(buffer + 3 * i, 4, "%02X ", data[i]);
  if (n > 0) buffer[3 * n - 1] = 0;
  return buffer;
}
