#pragma once
// A picture of a plug-in's editor: opened in a window of its own (on a private Xvfb when there
// is no display) and read back once it has drawn its first complete frame.
#include <ostream>
#include <string>

#include "editor_window.h"
#include "pix/pix_bitmap.h"
#include "plugin.h"

struct EditorShot {
  Frame frame;
  double msToFrame = 0;  // from effEditOpen to the frame that then stayed
  bool settled = true;   // false: the editor kept changing and this is its last frame
};

// Throws HostError when the plug-in has no editor, there is no display and no Xvfb, or the
// editor shows nothing within a few seconds.
EditorShot ShootEditor(PluginInstance& plugin);

void FrameToBitmap(const Frame& frame, PIX_IBitmap* image);
// ShootEditor, then the frame into a PNG file (nothing written on failure); logs what it did.
void SaveEditorScreenshot(PluginInstance& plugin, const std::string& path, std::ostream& log);
