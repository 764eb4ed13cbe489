#pragma once
// Controls that show or act on text: a static text (also the value or name read-out another
// control links to), a caption showing its parameter's display, a link area that opens a web
// address, and a file chooser. GUI thread only.
#include "graphics/IControl.h"
#include "kit/kitstring.h"

// Stores str (null as "") in text when it differs; whether it did.
bool ReplaceText(KIT_String* text, const char* str);

class ITextControl : public IControl {
public:
  ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str = "");

  bool Draw(IGraphics* graphics) override;

  // Dirties the control only when the text really changes.
  virtual void SetTextFromPlug(const char* str);
  const char* GetTextForDisplay() const { return mStr.Get(); }

protected:
  KIT_String mStr;
};

// The parameter's current display text, and with showParamLabel its label after a space.
class ICaptionControl : public ITextControl {
public:
  ICaptionControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text, bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

private:
  bool mShowParamLabel;
};

// An invisible area that asks the platform to open its address, or the backup address when that
// fails. Addresses longer than their fields are refused rather than cut.
class IURLControl : public IControl {
public:
  static constexpr int kURLLen = 256, kErrMsgLen = 1024;

  IURLControl(IEffectBase* plug, const IRECT& rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }

private:
  char mURL[kURLLen] = {};
  char mBackupURL[kURLLen] = {};
  char mErrMsg[kErrMsgLen] = {};
};

// A click asks the platform for a file; the value alternates 0, 1, 0 with each choice, and the
// control reports itself dirty once after a choice even when nothing else changed.
class IFileSelectorControl : public IControl {
public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting, kFSDone };

  IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(KIT_String* str) const { str->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  int GetState() const { return mState; }

private:
  IBitmap mBitmap;
  KIT_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  int mState = kFSNone;
};
