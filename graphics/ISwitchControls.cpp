#include "graphics/ISwitchControls.h"

#include "graphics/IGraphics.h"

namespace {
// i of n positions as a value; a single position is 0.
double PositionValue(int i, int n) { return n > 1 ? static_cast<double>(i) / (n - 1) : 0.0; }

int FirstContaining(const KIT_TypedBuf<IRECT>& rects, int x, int y) {
  for (int i = 0; i < rects.GetSize(); ++i)
    if (rects.Get()[i].Contains(x, y)) return i;
  return -1;
}
}  // namespace

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
  const double step = mBitmap.N >= 2 ? 1.0 / (mBitmap.N - 1) : 1.0;
  double value = GetValue() + step;
  if (value > 1.001) value = 0.0;
  SetValue(value);
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod) { ISwitchControl::OnMouseDown(x, y, mod); }

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                           bool imagesAreHorizontal, IChannelBlend::EBlendMethod blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod) {
  mDisablePrompt = false;
  const int n = mBitmap.N;
  if (n <= 0 || mRECTs.Resize(n) == nullptr) return;
  IRECT* rects = mRECTs.Get();
  const IRECT& r = mRECT;
  if (imagesAreHorizontal) {
    const float w = static_cast<float>(r.W()) / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
      const int left = r.L + static_cast<int>(static_cast<float>(i) * w);
      rects[i] = IRECT(left, r.T, static_cast<int>(static_cast<float>(left) + w), r.B);
    }
  } else {
    const float h = static_cast<float>(r.H()) / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
      const int top = r.T + static_cast<int>(static_cast<float>(i) * h);
      rects[i] = IRECT(r.L, top, r.R, static_cast<int>(static_cast<float>(top) + h));
    }
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*) {
  const int i = FirstContaining(mRECTs, x, y);
  if (i >= 0) SetValue(PositionValue(i, mBitmap.N));
  SetDirty(true);  // even a miss tells the plug-in the unchanged value
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IEffectBase* plug, const IRECT& rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend::kBlendMethodCopy) {}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
  SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true);
}

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int nButtons,
                                           const IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()) {
  if (nButtons <= 0 || mRECTs.Resize(nButtons) == nullptr) return;
  IRECT* buttons = mRECTs.Get();
  const int w = mBitmap.W, h = mBitmap.N > 0 ? mBitmap.H / mBitmap.N : mBitmap.H;
  const auto gapFor = [nButtons](int room) {
    return nButtons > 1 ? static_cast<int>(static_cast<double>(room) / (nButtons - 1)) : 0;
  };
  const IRECT& r = rect;
  if (direction == kHorizontal) {
    const int gap = gapFor(r.W() - nButtons * w);
    int x = reverse ? r.R - w - gap : r.L;
    for (int i = 0; i < nButtons; ++i, x += reverse ? -(w + gap) : w + gap) buttons[i] = IRECT(x, r.T, x + w, r.T + h);
  } else {
    const int gap = gapFor(r.H() - nButtons * h);
    int y = reverse ? r.B - gap - h : r.T;
    for (int i = 0; i < nButtons; ++i, y += reverse ? -(h + gap) : h + gap) buttons[i] = IRECT(r.L, y, r.L + w, y + h);
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  const int i = FirstContaining(mRECTs, x, y);
  if (i >= 0) SetValue(PositionValue(i, mRECTs.GetSize()));
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
  const int n = mRECTs.GetSize();
  if (n == 0) return true;
  const double c = (n - 1) * GetValue() + 0.5;
  const int selected = !(c >= 0.0) ? 0 : (c >= n ? n - 1 : static_cast<int>(c));
  for (int i = 0; i < n; ++i) graphics->DrawBitmap(&mBitmap, mRECTs.Get() + i, i == selected ? 2 : 1, &mBlend);
  return true;
}

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
  SetValue(0.0);
  SetDirty(true);
}
