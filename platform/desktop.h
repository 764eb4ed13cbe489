#pragma once
// What the desktop offers a plug-in: opening an address, message boxes and file panels through
// zenity or kdialog when installed, and the folders the editor reports.
#include "graphics/IGraphicsStructs.h"
#include "kit/kitstring.h"

// Starts xdg-open (found in PATH) for the address and does not wait for it; finished children are
// reaped by ReapDesktopChildren without blocking. False when it cannot be started.
bool OpenWithDesktop(const char* url);
void ReapDesktopChildren();

// The message box of the given type (1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No, else OK): 1 for OK
// or Yes, 7 for No, 2 for Cancel, 0 when no dialog program is installed or it failed.
int ShowDesktopMessageBox(const char* text, const char* caption, int type);
// A file panel (kFileSave asks for a name to save under); file becomes the chosen path, or empty
// when cancelled. dir is where the panel starts and, after a choice, the chosen file's folder
// followed by "/".
void PromptDesktopFile(KIT_String* file, EFileAction action, KIT_String* dir, const char* extensions);

// Folders, as the editor reports them.
void HostExecutablePath(KIT_String* path);       // the running program (/proc/self/exe)
void FolderHoldingBundle(KIT_String* path);      // the folder that holds the plug-in's bundle, "/" at the end
void UserDesktopPath(KIT_String* path);          // XDG_DESKTOP_DIR, else ~/Desktop
void ApplicationDataPath(KIT_String* path, bool system);  // XDG data home, or the first system data folder
void UserMusicPath(KIT_String* path);            // XDG_MUSIC_DIR, else ~/Music
// The kernel release packed as hexadecimal digits: 6.1.0 gives 0x610.
int KernelVersion();
