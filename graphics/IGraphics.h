#pragma once
// The editor's model: an ordered list of controls over one editor-sized draw bitmap, the dirty
// tracking that decides what to redraw, input dispatch to the control under the pointer, and the
// drawing vocabulary controls paint with. Everything that needs the window system is a virtual
// operation of a platform subclass.
//
// Threads: the editor (GUI) thread owns this object and calls everything here, except
// SetParameterFromPlug, which the plug-in calls from host threads with the plug-in mutex held; it
// only stores control values and raises dirty flags (atomics, see IControl). The control list
// changes only with the plug-in mutex held, so that iteration stays safe.
#include "graphics/IControl.h"
#include "graphics/IGraphicsStructs.h"
#include "kit/kitstring.h"
#include "kit/mutex.h"
#include "kit/ptrlist.h"

class IEffectBase;
class IParam;
class IPopupMenu;
class PIX_MemBitmap;
class PIX_SysBitmap;

class IGraphics {
public:
  IGraphics(IEffectBase* plug, int w, int h, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Virtual operations, GUI thread; the abstract ones come from the platform layer.
  virtual bool DrawScreen(IRECT* rect) = 0;
  virtual bool MeasureIText(IText* text, char* str, IRECT* destRect);
  virtual void ForceEndUserEdit() = 0;
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // The menu with its chosen item set (a submenu when the choice was made there), or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) = 0;
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(KIT_String* path) = 0;
  virtual void PluginPath(KIT_String* path) = 0;
  virtual void DesktopPath(KIT_String* path) = 0;
  virtual void AppSupportPath(KIT_String* path, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(KIT_String* path) = 0;
  virtual void PromptForFile(KIT_String* filename, EFileAction action, KIT_String* dir,
                             char* extensions) = 0;
  virtual bool PromptForColor(IColor* color, char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void* /*parent*/, void* /*parentControl*/, short /*x*/, short /*y*/) {
    return nullptr;
  }
  virtual void AttachSubWindow(void* /*hostWindow*/) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(KIT_String* str) = 0;
  virtual ~IGraphics();
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // A new bitmap the caller owns, or null.
  virtual PIX_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // The host's idle call for an open editor, on the GUI thread and without the plug-in mutex: the
  // platform handles pending window events and runs the redraw timer.
  virtual void Idle() {}

  // Called once by the plug-in when it takes the editor, and by Resize.
  void PrepDraw();

  // The control list. Attaching takes ownership; the index is returned.
  int AttachControl(IControl* control);
  void AttachKeyCatcher(IControl* control);
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetAllControlsDirty();
  void AssignParamNameToolTips();

  // Values. SetParameterFromPlug: host threads with the plug-in mutex held, or the GUI thread.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, char* txt);

  // The draw cycle: IsDirty widens area by every dirty control; Draw repaints area and shows it.
  bool IsDirty(IRECT* area);
  bool Draw(IRECT* area);
  void SetStrictDrawing(bool strict);
  void OnGUIIdle();

  // Input, in editor coordinates.
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  int GetMouseControlIdx(int x, int y, bool mo = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  void ReleaseMouseCapture();
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }

  // Images: the bitmap store owns every pixel these hand out.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  IBitmap ScaleBitmap(IBitmap* srcbitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* srcbitmap, IRECT* rect);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);

  // Drawing into the draw bitmap, clipped by the raster library to the bitmap.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend = nullptr);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame = 1, const IChannelBlend* blend = nullptr);
  bool DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* blend = nullptr);
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend = nullptr,
                bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerradius, bool aa);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerradius, bool aa);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3, IChannelBlend* blend);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend = nullptr);
  bool DrawRect(const IColor* color, IRECT* rect);
  bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);

  // Text: draws, or with measure set widens rect to what the text covers.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  static PIX_CachedFont* CacheFont(IText* text);

  // Opens the value menu or the in-place text field for a control.
  void PromptUserInput(IControl* control, IParam* param, IRECT* textRect);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  IEffectBase* GetPlug() const { return mPlug; }
  PIX_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  void* GetBits();
  const IRECT& GetDrawRECT() const { return mDrawRECT; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool IsStrictDrawing() const { return mStrict; }

protected:
  // Editor-local cursor state the platform's hide and show use.
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;

private:
  // The topmost control that is neither hidden nor grayed (unless hovering and it allows that)
  // and is hit; -1 when none.
  int HitControl(int x, int y, bool mo) const;
  // Captured control, else the hit one.
  int TargetControl(int x, int y) const;
  void DrawStrict(const IRECT& area);
  void DrawNonStrict();
  void DeleteControls();
  // The plug-in mutex, or null without a plug-in: host threads walk the control list and change
  // parameters under it, so the GUI thread holds it to change the list or read a parameter.
  KIT_Mutex* PlugMutex() const;

  KIT_PtrList<IControl> mControls;
  IEffectBase* mPlug;
  IRECT mDrawRECT;
  PIX_SysBitmap* mDrawBitmap = nullptr;
  PIX_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight;
  int mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = -1, mMouseY = -1;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;
};
