// Input dispatch: the control under the pointer, mouse capture for drags, and the begin and end
// of the host's parameter gestures around a press.
#include "effect/IEffectBase.h"
#include "graphics/IGraphics.h"

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

int IGraphics::HitControl(int x, int y, bool mo) const {
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (control->IsHidden() || (control->IsGrayed() && !(mo && control->GetMOWhenGrayed()))) continue;
    if (control->IsHit(x, y)) return i;
  }
  return -1;
}

int IGraphics::TargetControl(int x, int y) const {
  return mMouseCapture >= 0 ? mMouseCapture : HitControl(x, y, false);
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mo) {
  if (mMouseCapture >= 0) return mMouseCapture;
  return HitControl(x, y, mo);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  const int c = HitControl(x, y, false);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* control = mControls.Get(c);
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  const int c = TargetControl(x, y);
  ReleaseMouseCapture();
  if (c < 0) return;
  IControl* control = mControls.Get(c);
  control->OnMouseUp(x, y, mod);
  // Read again: the handler may have rebound the control.
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  if (mMouseCapture < 0 || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  mControls.Get(mMouseCapture)->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  const int c = HitControl(x, y, false);
  if (c < 0) return false;
  IControl* control = mControls.Get(c);
  if (control->MouseDblAsSingleClick()) {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  const int c = TargetControl(x, y);
  if (c >= 0) mControls.Get(c)->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  if (c < 0) return mHandleMouseOver;
  mMouseX = x;
  mMouseY = y;
  mControls.Get(c)->OnMouseOver(x, y, mod);
  if (mMouseOver >= 0 && mMouseOver != c) {
    if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
  }
  mMouseOver = c;
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  const int c = TargetControl(x, y);
  if (c > 0) return mControls.Get(c)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  const int c = TargetControl(x, y);
  mLastClickedParam = c > 0 ? mControls.Get(c)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int last = mLastClickedParam;
  mLastClickedParam = -1;
  return last;
}
