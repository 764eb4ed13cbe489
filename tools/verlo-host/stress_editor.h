#pragma once
// The editor part of the stress run: a GUI thread that opens an instance's editor in a window of
// its own, pumps it and closes it again, over and over.
#include "plugin.h"

struct EditorCycles {
  bool display = false;  // false: there was no X display to open it on
  int opened = 0, failed = 0;
  double seconds = 0.0;
};

// Called on the thread that plays the host's GUI thread; makes its own X connection and parent
// window there, and sends effEditOpen, three effEditIdle and effEditClose CYCLES times.
EditorCycles OpenAndCloseEditor(PluginInstance& plugin, int cycles);
