#pragma once
// The base of every editor element: a rectangle, optionally bound to one parameter whose
// normalised value it holds, drawing itself into the editor's bitmap and answering the mouse
// and key events the editor routes to it.
//
// Threads: everything runs on the editor (GUI) thread except SetValueFromPlug and
// SetAuxParamValueFromPlug, which the plug-in calls from host threads (automation, the host's
// main thread) with the plug-in mutex held. The value, default, clamp range and dirty state they
// touch are atomics, so both sides may run at once.
#include <atomic>

#include "graphics/IGraphicsStructs.h"
#include "kit/heapbuf.h"
#include "kit/kitstring.h"

class IEffectBase;
class IGraphics;
class ITextControl;

// A further parameter a control moves (a two-dimensional pad, say).
struct IAuxParam {
  double mValue = 0.0;  // host threads store, the GUI thread loads: only through IControl
  int mParamIdx = -1;
};

class IControl {
public:
  IControl(IEffectBase* plug, const IRECT& rect, int paramIdx = -1,
           IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendMethodAlpha);
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // GUI thread unless said otherwise.
  virtual ~IControl();
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
  virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, IMouseMod* /*mod*/) {}
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int /*x*/, int /*y*/, IMouseMod* /*mod*/, int /*d*/) {}
  virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
  virtual void OnMouseOver(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  // Host threads (with the plug-in mutex held) or the GUI thread.
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char* /*text*/) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
  // Any thread: with pushParamToPlug (GUI thread only) the value also goes to the plug-in.
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean();
  virtual bool IsDirty() { return mDirtyState.load(std::memory_order_acquire) & kDirty; }
  virtual void OnGUIIdle() {}
  // Host threads (with the plug-in mutex held) or the GUI thread.
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  void AddAuxParam(int paramIdx);
  IAuxParam* GetAuxParam(int idx);
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return mAuxParams.GetSize(); }
  double AuxParamValue(int idx) const;
  void SetAllAuxParamsFromGUI();

  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
  double GetValue() const { return mValue.load(std::memory_order_relaxed); }
  void SetValue(double value) { mValue.store(value, std::memory_order_relaxed); }
  double GetDefaultValue() const { return mDefaultValue.load(std::memory_order_relaxed); }
  void SetDefaultValue(double value) { mDefaultValue.store(value, std::memory_order_relaxed); }
  void Clamp(double lo, double hi);
  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetRECT(const IRECT& rect) { mRECT = rect; }
  void SetTargetRECT(const IRECT& rect) { mTargetRECT = rect; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  IChannelBlend* GetBlend() { return &mBlend; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedrawAgain() const { return mDirtyState.load(std::memory_order_relaxed) & kRedrawAgain; }
  void SetRedrawAgain() { mDirtyState.fetch_or(kRedrawAgain, std::memory_order_acq_rel); }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetMOWhenGrayed() const { return mMOWhenGreyed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGreyed = allow; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip); }
  // The read-outs are borrowed text controls that show this control's value or name.
  void SetValDisplayControl(ITextControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(ITextControl* control) { mNameDisplayControl = control; }
  IEffectBase* GetPlug() const { return mPlug; }

protected:
  enum : unsigned { kDirty = 1, kRedrawAgain = 2 };

  // Keeps the value inside the clamp range.
  void ClampValue();
  void UpdateReadouts();

  int mTextEntryLength = 7;
  IText mText;
  IEffectBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  KIT_TypedBuf<IAuxParam> mAuxParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};  // below 0: the plug-in has sent nothing yet
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  // kDirty and kRedrawAgain in one word, so that cleaning after a draw never loses a change a
  // host thread made meanwhile.
  std::atomic<unsigned> mDirtyState{kDirty};
  bool mHide = false;
  bool mGrayed = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGreyed = false;
  IChannelBlend mBlend;
  ITextControl* mValDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;
  KIT_String mTooltip;
};
