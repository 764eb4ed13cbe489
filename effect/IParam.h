#pragma once
// One automatable parameter: its kind, real value, range, step and shape, the texts the host
// shows, and the mapping between real values and the normalised [0, 1] values hosts exchange.
// Takes no lock: callers hold the plug-in mutex.
#include "kit/heapbuf.h"

// Truncation toward zero that saturates instead of overflowing (NaN gives 0).
int TruncateToInt(double value);

class IParam {
public:
  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };
  static constexpr int kNameLen = 32;

  struct DisplayText {
    int mValue;
    char mText[kNameLen];
  };

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Not-a-number (a damaged state chunk, say) becomes the minimum so no NaN reaches processing.
  void Set(double value) { mValue = !(value >= mMin) ? mMin : (value > mMax ? mMax : value); }
  void SetShape(double shape);
  void SetDisplayText(int value, const char* text);

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const { return TruncateToInt(mValue); }
  double DBToAmp() const;
  EParamType Type() const { return mType; }
  double GetShape() const { return mShape; }
  double GetStep() const { return mStep; }
  int GetPrecision() const { return mDisplayPrecision; }

  void SetNormalized(double normalized);
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double value) const;
  double GetNonNormalized(double normalized) const;

  // buffer must hold at least 32 bytes for display texts and any "%.*f" of the value.
  void GetDisplayForHost(double value, bool normalized, char* buffer, int bufferSize,
                         bool withDisplayText = true) const;
  void GetDisplayForHost(char* buffer, int bufferSize, bool withDisplayText = true) const {
    GetDisplayForHost(mValue, false, buffer, bufferSize, withDisplayText);
  }
  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }

  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayText(int value) const;
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  bool MapDisplayText(const char* text, int* value) const;
  void GetBounds(double& lo, double& hi) const {
    lo = mMin;
    hi = mMax;
  }

private:
  void InitCommon(EParamType type, const char* name, double value, const char* label,
                  const char* group);

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  int mDisplayPrecision = 0;
  char mName[kNameLen] = "";
  char mLabel[kNameLen] = "";
  char mParamGroup[kNameLen] = "";
  KIT_TypedBuf<DisplayText> mDisplayTexts;
};
