#include "graphics/ITextControls.h"

#include <cstring>

#include "effect/IEffectBase.h"
#include "graphics/IGraphics.h"
#include "kit/kitcstring.h"

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str ? str : "") {
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics) {
  if (mStr.GetLength() > 0) graphics->DrawIText(&mText, mStr.Get(), &mRECT);
  return true;
}

bool ReplaceText(KIT_String* text, const char* str) {
  if (!str) str = "";
  if (strcmp(text->Get(), str) == 0) return false;
  text->Set(str);
  return true;
}

void ITextControl::SetTextFromPlug(const char* str) {
  if (ReplaceText(&mStr, str)) SetDirty(false);
}

ICaptionControl::ICaptionControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text), mShowParamLabel(showParamLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) { PromptUserInput(); }

bool ICaptionControl::Draw(IGraphics* graphics) {
  const IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (!param) return true;
  char display[2 * IParam::kNameLen + 2];
  {
    // Host threads change the parameter under the plug-in mutex.
    KIT_MutexLock lock(mPlug->GetMutex());
    param->GetDisplayForHost(param->Value(), false, display, IParam::kNameLen, true);
  }
  if (mShowParamLabel) {
    KIT_AppendString(display, sizeof display, " ");
    KIT_AppendString(display, sizeof display, param->GetLabelForHost());
  }
  mStr.Set(display);
  return ITextControl::Draw(graphics);
}

namespace {
// Refuses (leaves empty) a text that does not fit, rather than keeping a cut one.
void CopyWhole(char* field, size_t size, const char* text) {
  if (text && strlen(text) < size) KIT_CopyString(field, size, text);
}
}  // namespace

IURLControl::IURLControl(IEffectBase* plug, const IRECT& rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect) {
  CopyWhole(mURL, sizeof mURL, url);
  CopyWhole(mBackupURL, sizeof mBackupURL, backupURL);
  KIT_CopyString(mErrMsg, sizeof mErrMsg, errMsgOnFailure);  // only shown: cutting is harmless
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  const bool opened = mURL[0] && graphics->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && mBackupURL[0]) graphics->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

IFileSelectorControl::IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap,
                                           EFileAction action, const char* dir, const char* extensions)
    : IControl(plug, rect, paramIdx),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDir(dir ? dir : ""),
      mExtensions(extensions ? extensions : ""),
      mFileAction(action) {}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.GetWritable());
  const double next = GetValue() + 1.0;
  SetValue(next > 1.0 ? 0.0 : next);
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
  if (mState == kFSSelecting) graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
  return true;
}

bool IFileSelectorControl::IsDirty() {
  if (IControl::IsDirty()) return true;
  if (mState != kFSDone) return false;
  mState = kFSNone;
  return true;
}
