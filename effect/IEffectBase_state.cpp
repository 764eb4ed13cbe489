// Program state of the plug-in base: the parameter values as little-endian doubles.
#include <cmath>
#include <cstring>

#include "effect/IEffectBase.h"

bool IEffectBase::SerializeParams(ByteChunk* chunk) {
  KIT_MutexLock lock(mMutex);
  bool saved = true;
  for (int i = 0; i < NParams() && saved; ++i) {
    const double value = GetParam(i)->Value();
    const int before = chunk->Size();
    saved = chunk->Put(&value) > before;
  }
  return saved;
}

int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  KIT_MutexLock lock(mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double value = 0.0;
    pos = chunk->Get(&value, pos);
    GetParam(i)->Set(value);
  }
  OnParamReset();
  return pos;
}

bool IEffectBase::CompareState(const unsigned char* data, int startPos) {
  for (int i = 0; i < NParams(); ++i) {
    double stored;  // the data need not be aligned for doubles
    memcpy(&stored, data + sizeof(double) * static_cast<size_t>(startPos + i), sizeof stored);
    const float difference = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(stored);
    if (!(std::fabs(difference) < 1e-05)) return false;
  }
  return true;
}
