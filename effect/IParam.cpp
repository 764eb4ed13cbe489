#include "effect/IParam.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "kit/kitcstring.h"
#include "kit/numtext.h"

namespace {
int PrecisionOfStep(double step) {
  if (std::floor(step) == step) return 0;
  double x = step;
  for (int precision = 1; precision <= 5; ++precision) {
    x *= 10.0;
    if (std::floor(x) == x) return precision;
  }
  return 6;
}
}  // namespace

int TruncateToInt(double value) {
  if (!(value > -2147483649.0)) return value != value ? 0 : INT_MIN;  // NaN reads as 0
  if (value >= 2147483648.0) return INT_MAX;
  return static_cast<int>(value);
}

// Names, labels, groups and display texts are cut to their 31-character fields.
void IParam::InitCommon(EParamType type, const char* name, double value, const char* label,
                        const char* group) {
  if (mType == kTypeNone) mType = type;
  KIT_CopyString(mName, sizeof mName, name);
  KIT_CopyString(mLabel, sizeof mLabel, label);
  KIT_CopyString(mParamGroup, sizeof mParamGroup, group);
  mValue = value;
  mDisplayPrecision = 0;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group) {
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group) {
  InitCommon(kTypeEnum, name, defaultVal, label, group);
  mMin = 0.0;
  mMax = std::max(1.0, static_cast<double>(nEnums) - 1.0);
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group) {
  InitCommon(kTypeInt, name, defaultVal, label, group);
  mMin = minVal;
  mMax = std::max(static_cast<double>(minVal) + 1.0, static_cast<double>(maxVal));
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape) {
  InitCommon(kTypeDouble, name, defaultVal, label, group);
  mMin = minVal;
  mMax = std::max(minVal + step, maxVal);
  mStep = step;
  mDisplayPrecision = PrecisionOfStep(step);
  SetShape(shape);
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text) {
  const int n = mDisplayTexts.GetSize();
  DisplayText* texts = mDisplayTexts.Resize(n + 1);
  if (mDisplayTexts.GetSize() != n + 1) return;
  texts[n].mValue = value;
  KIT_CopyString(texts[n].mText, sizeof texts[n].mText, text);
}

double IParam::DBToAmp() const { return std::exp(mValue * 0.1151292546497); }

void IParam::SetNormalized(double normalized) {
  double v = (mMax - mMin) * std::pow(normalized, mShape) + mMin;
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  mValue = v < mMax ? v : mMax;
}

double IParam::GetNormalized(double value) const {
  const double c = value < mMin ? mMin : std::min(mMax, value);
  return std::pow((c - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalized) const {
  return (mMax - mMin) * std::pow(normalized, mShape) + mMin;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* buffer, int bufferSize,
                               bool withDisplayText) const {
  if (!buffer || bufferSize <= 0) return;
  if (normalized) value = GetNonNormalized(value);
  if (withDisplayText && mDisplayTexts.GetSize() > 0) {
    const char* text = GetDisplayText(TruncateToInt(value));
    if (text[0]) {
      KIT_CopyString(buffer, static_cast<size_t>(bufferSize), text);
      return;
    }
  }
  if (mDisplayPrecision != 0)
    KIT_FormatNumber(buffer, static_cast<size_t>(bufferSize), "%.*f", mDisplayPrecision, value);
  else
    snprintf(buffer, static_cast<size_t>(bufferSize), "%d", TruncateToInt(value));
}

const char* IParam::GetLabelForHost() const {
  return GetDisplayText(TruncateToInt(mValue))[0] ? "" : mLabel;
}

const char* IParam::GetDisplayText(int value) const {
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (texts[i].mValue == value) return texts[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (value) *value = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
    if (text && strcmp(texts[i].mText, text) == 0) {
      if (value) *value = texts[i].mValue;
      return true;
    }
  }
  return false;
}
