#pragma once
// Pop-up menus as override-redirect windows of our own, drawn with our raster and text code:
// number prefixes, check marks, disabled items, separators and submenus, keyboard navigation,
// dismissal by Escape or a click outside. Editor (GUI) thread only.
#include <X11/Xlib.h>

#include <functional>

class IPopupMenu;

// Shows menu with its top-left corner at (rootX, rootY) and runs it until the user chooses or
// dismisses it. idle runs between events so that the editor keeps drawing. Returns the menu in
// which an item was chosen (a submenu for a choice there) with its chosen index set, or null.
IPopupMenu* RunX11PopupMenu(Display* display, IPopupMenu* menu, int rootX, int rootY,
                            const std::function<void()>& idle);
