#include "graphics/IGraphics.h"

#include "effect/IEffectBase.h"
#include "graphics/IBitmapControl.h"
#include "kit/numtext.h"
#include "pix/pix_bitmap.h"

IGraphics::IGraphics(IEffectBase* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps > 0 ? fps : 25) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  DeleteControls();
  delete mDrawBitmap;
  delete mTmpBitmap;
}

KIT_Mutex* IGraphics::PlugMutex() const { return mPlug ? &mPlug->GetMutex() : nullptr; }

void IGraphics::DeleteControls() {
  KIT_OptionalMutexLock lock(PlugMutex());
  mControls.Empty(true);
}

void IGraphics::PrepDraw() {
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new PIX_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new PIX_MemBitmap(0, 0, 4);
}

void* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

int IGraphics::AttachControl(IControl* control) {
  KIT_OptionalMutexLock lock(PlugMutex());
  if (!mControls.Add(control)) {
    delete control;
    return -1;
  }
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  delete mKeyCatcher;
  mKeyCatcher = control;
}

void IGraphics::AttachBackground(int id, const char* name) {
  IBitmap bitmap = LoadIBitmap(id, name, 1);
  IControl* background = new IBitmapControl(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendMethodCopy);
  KIT_OptionalMutexLock lock(PlugMutex());
  if (!mControls.Insert(0, background)) delete background;
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  IControl* panel = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color);
  KIT_OptionalMutexLock lock(PlugMutex());
  if (!mControls.Insert(0, panel)) delete panel;
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  if (paramIdx < 0) return;  // unbound controls are not addressed by index -1
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  if (paramIdx < 0) return;  // unbound controls are not addressed by index -1
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(gray);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (paramIdx < 0) return;  // unbound controls are not addressed by index -1
  if (!normalized) {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Clamp(lo, hi);
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::AssignParamNameToolTips() {
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* control = mControls.Get(i);
    const IParam* param = mPlug ? mPlug->GetParam(control->ParamIdx()) : nullptr;
    if (param) control->SetTooltip(param->GetNameForHost());
  }
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (paramIdx < 0) return;  // unbound controls are not addressed by index -1
  if (!normalized) {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;  // no range to convert through
    value = param->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(value);
    const int aux = control->AuxParamIdx(paramIdx);
    if (aux >= 0) control->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* control = mControls.Get(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  if (paramIdx < 0) return;  // unbound controls are not addressed by index -1
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetValueFromUserInput(normalizedValue);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, char* txt) {
  if (!control || !param) return;
  double value = 0.0;
  {
    KIT_OptionalMutexLock lock(PlugMutex());
    const IParam::EParamType type = param->Type();
    if (type == IParam::kTypeBool || type == IParam::kTypeEnum) {
      int mapped = 0;
      value = param->MapDisplayText(txt, &mapped) ? mapped : 0;
    } else {
      value = txt ? KIT_StrToDouble(txt) : 0.0;
    }
    value = param->GetNormalized(value);
  }
  control->SetValueFromUserInput(value);
}

bool IGraphics::IsDirty(IRECT* area) {
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* control = mControls.Get(i);
    if (control->IsDirty()) {
      area->Union(control->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

void IGraphics::DrawStrict(const IRECT& area) {
  mDrawRECT = area;
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* control = mControls.Get(i);
    const IRECT& r = control->GetRECT();
    if (!control->IsHidden() && !area.Empty() && !r.Empty() && area.Intersects(r)) control->Draw(this);
    control->SetClean();
  }
}

void IGraphics::DrawNonStrict() {
  const int n = mControls.GetSize();
  IControl* background = mControls.Get(0);
  if (background->IsDirty()) {
    mDrawRECT = background->GetRECT();
    for (int i = 0; i < n; ++i) {
      IControl* control = mControls.Get(i);
      if (i == 0 || !control->IsHidden()) {
        control->Draw(this);
        control->SetClean();
      }
    }
    return;
  }
  for (int i = 1; i < n; ++i) {
    IControl* dirty = mControls.Get(i);
    if (!dirty->IsDirty()) continue;
    mDrawRECT = dirty->GetRECT();
    for (int j = 0; j < n; ++j) {
      IControl* control = mControls.Get(j);
      if (control->IsHidden()) continue;
      const IRECT& r = control->GetRECT();
      if (j == i || (!r.Empty() && !mDrawRECT.Empty() && r.Intersects(mDrawRECT))) control->Draw(this);
    }
    dirty->SetClean();
  }
}

bool IGraphics::Draw(IRECT* area) {
  if (mControls.GetSize() == 0) return true;
  if (mStrict)
    DrawStrict(*area);
  else
    DrawNonStrict();
  return DrawScreen(area);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

void IGraphics::Resize(int w, int h) {
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  DeleteControls();
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = nullptr;
  mTmpBitmap = nullptr;
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}
