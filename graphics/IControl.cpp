#include "graphics/IControl.h"

#include <cstdio>

#include "effect/IEffectBase.h"
#include "graphics/IGraphics.h"
#include "graphics/ITextControls.h"

namespace {
double LoadRelaxed(const double& d) {
  double v;
  __atomic_load(&d, &v, __ATOMIC_RELAXED);
  return v;
}
void StoreRelaxed(double& d, double v) { __atomic_store(&d, &v, __ATOMIC_RELAXED); }
}  // namespace

IControl::IControl(IEffectBase* plug, const IRECT& rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f) {}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
  const double defaultValue = GetDefaultValue();
  if (defaultValue < 0.0) return;
  SetValue(defaultValue);
  SetDirty(true);
}

void IControl::SetValueFromPlug(double value) {
  if (GetDefaultValue() < 0.0) {
    SetDefaultValue(value);
    SetValue(value);
  }
  if (GetValue() == value) return;
  SetValue(value);
  // Redraw-again goes first: a draw cleaning the control in between then keeps it dirty.
  SetRedrawAgain();
  SetDirty(false);
}

void IControl::SetValueFromUserInput(double value) {
  if (GetValue() == value) return;
  SetValue(value);
  SetRedrawAgain();
  SetDirty(true);
}

void IControl::Hide(bool hide) {
  mHide = hide;
  SetRedrawAgain();
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::Clamp(double lo, double hi) {
  mClampLo.store(lo, std::memory_order_relaxed);
  mClampHi.store(hi, std::memory_order_relaxed);
}

void IControl::ClampValue() {
  const double lo = mClampLo.load(std::memory_order_relaxed);
  const double hi = mClampHi.load(std::memory_order_relaxed);
  const double value = GetValue();
  SetValue(lo > value ? lo : (hi < value ? hi : value));
}

void IControl::SetDirty(bool pushParamToPlug) {
  if (!pushParamToPlug || !mPlug || mParamIdx < 0) {
    ClampValue();
    mDirtyState.fetch_or(kDirty, std::memory_order_acq_rel);
    return;
  }
  {
    // Host threads set the value under this mutex too, so what reaches the parameter is what the
    // control holds: an automation value arriving mid-drag wins on both sides alike.
    KIT_MutexLock lock(mPlug->GetMutex());
    ClampValue();
    mDirtyState.fetch_or(kDirty, std::memory_order_acq_rel);
    mPlug->SetParameterFromGUI(mParamIdx, GetValue());
  }
  UpdateReadouts();
}

void IControl::UpdateReadouts() {
  if (!mValDisplayControl && !mNameDisplayControl) return;
  const IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (mValDisplayControl) {
    char display[IParam::kNameLen + 1], shown[2 * IParam::kNameLen + 2];
    {
      // Host threads change the parameter under the plug-in mutex.
      KIT_MutexLock lock(mPlug->GetMutex());
      param->GetDisplayForHost(param->Value(), false, display, sizeof display, true);
    }
    snprintf(shown, sizeof shown, "%s %.*s", display, IParam::kNameLen, param->GetLabelForHost());
    mValDisplayControl->SetTextFromPlug(shown);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
  unsigned state = mDirtyState.load(std::memory_order_acquire);
  while (!mDirtyState.compare_exchange_weak(state, (state & kRedrawAgain) ? kDirty : 0u, std::memory_order_acq_rel)) {
  }
}

void IControl::PromptUserInput() {
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  IGraphics* graphics = mPlug->GetGUI();
  if (!param || !graphics) return;
  IRECT box = mRECT;
  if (param->GetNDisplayTexts() == 0) {
    const int cx = static_cast<int>(static_cast<float>(mRECT.L + mRECT.R) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(mRECT.T + mRECT.B) * 0.5f);
    box = IRECT(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  graphics->PromptUserInput(this, param, &box);
  SetRedrawAgain();
}

void IControl::PromptUserInput(IRECT* rect) {
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !rect) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  IGraphics* graphics = mPlug->GetGUI();
  if (!param || !graphics) return;
  graphics->PromptUserInput(this, param, rect);
  SetRedrawAgain();
}

void IControl::AddAuxParam(int paramIdx) {
  const int n = mAuxParams.GetSize();
  IAuxParam* params = mAuxParams.Resize(n + 1);
  if (mAuxParams.GetSize() != n + 1) return;
  params[n].mValue = 0.0;
  params[n].mParamIdx = paramIdx;
}

IAuxParam* IControl::GetAuxParam(int idx) {
  return idx >= 0 && idx < mAuxParams.GetSize() ? mAuxParams.Get() + idx : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const {
  const IAuxParam* params = mAuxParams.Get();
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (params[i].mParamIdx == paramIdx) return i;
  return -1;
}

double IControl::AuxParamValue(int idx) const {
  return idx >= 0 && idx < mAuxParams.GetSize() ? LoadRelaxed(mAuxParams.Get()[idx].mValue) : 0.0;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  IAuxParam* aux = GetAuxParam(auxParamIdx);
  if (!aux || LoadRelaxed(aux->mValue) == value) return;
  StoreRelaxed(aux->mValue, value);
  SetRedrawAgain();
  SetDirty(false);
}

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    mPlug->SetParameterFromGUI(mAuxParams.Get()[i].mParamIdx, AuxParamValue(i));
}
