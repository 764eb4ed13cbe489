#pragma once
// A platform-neutral pop-up menu: items with texts, flags and optional submenus, a numbering
// style, and after it was shown the index of the item chosen. GUI thread only.
#include "kit/kitstring.h"
#include "kit/ptrlist.h"

class IPopupMenu;

class IPopupMenuItem {
public:
  enum Flags {
    kNoFlags = 0,
    kMenuItemDisabled = 1,
    kMenuItemIndented = 2,
    kMenuItemChecked = 4,
    kMenuItemSeparator = 8,
  };

  // The submenu is borrowed: neither the item nor its menu deletes it.
  explicit IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr)
      : mText(text ? text : ""), mSubmenu(submenu), mFlags(flags) {}

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }
  bool GetEnabled() const { return !(mFlags & kMenuItemDisabled); }
  bool GetChecked() const { return (mFlags & kMenuItemChecked) != 0; }
  bool GetIsSeparator() const { return (mFlags & kMenuItemSeparator) != 0; }
  bool IsIndented() const { return (mFlags & kMenuItemIndented) != 0; }
  void SetChecked(bool checked) { mFlags = checked ? mFlags | kMenuItemChecked : mFlags & ~kMenuItemChecked; }

private:
  KIT_String mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu {
public:
  enum EPrefix { kNoPrefix = 0, kOneDigit, kTwoDigits, kThreeDigits };

  IPopupMenu() = default;
  ~IPopupMenu() { mMenuItems.Empty(true); }
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Position -1 (or past the end) appends, any other negative one inserts first. The menu owns
  // the item from here on.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  // 0 to 3; anything else keeps the prefix.
  void SetPrefix(int count);
  int GetPrefix() const { return mPrefix; }
  bool CheckItem(int index, bool state);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetNItems() const { return mMenuItems.GetSize(); }
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // "" for an index that names no item.
  const char* GetItemText(int index) const {
    const IPopupMenuItem* item = mMenuItems.Get(index);
    return item ? item->GetText() : "";
  }
  // The item the platform menu recorded as chosen, or -1.
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  // The chosen item, or null when nothing (or no item of this menu) was chosen.
  IPopupMenuItem* GetChosenItem() const { return mMenuItems.Get(mChosenItemIdx); }

private:
  int mPrefix = kNoPrefix;
  int mChosenItemIdx = -1;
  KIT_PtrList<IPopupMenuItem> mMenuItems;
};
