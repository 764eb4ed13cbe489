#include "screenshot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "error.h"
#include "png_file.h"
#include "xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScreenWidth = 2048, kScreenHeight = 1536;  // room for large editors
constexpr auto kDrawTimeout = std::chrono::seconds(3);    // to draw anything at all
constexpr auto kSettleTimeout = std::chrono::seconds(5);  // to stop changing
constexpr int kSteadyPeriods = 3;                         // unchanged idle periods that end the wait

// A window nobody drew into shows one colour: its background.
bool Blank(const Frame& f) {
  return std::all_of(f.pixels.begin(), f.pixels.end(), [&](uint32_t p) { return p == f.pixels.front(); });
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

EditorShot ShootEditor(PluginInstance& plugin) {
  RequireEditor(plugin);
  std::unique_ptr<PrivateXvfb> xvfb;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) xvfb = std::make_unique<PrivateXvfb>(kScreenWidth, kScreenHeight);

  EditorWindow window(plugin, Placement::kFixedAtOrigin);
  const std::string name = plugin.Name();
  EditorShot shot;
  Frame current;
  int steady = 0;
  bool drawn = false, grabbed = false;
  Clock::time_point changed;
  bool open;
  while ((open = window.Tick())) {
    const auto now = Clock::now();
    if (now - window.OpenedAt() > kSettleTimeout) break;
    if (!window.Grab(current)) continue;
    grabbed = true;
    if (!drawn && Blank(current)) {
      if (now - window.OpenedAt() > kDrawTimeout) break;
      continue;
    }
    drawn = true;
    if (current == shot.frame && ++steady >= kSteadyPeriods) {
      shot.msToFrame = Ms(changed - window.OpenedAt());
      return shot;
    }
    if (current != shot.frame) {
      std::swap(current, shot.frame);
      steady = 0;
      changed = now;
    }
  }
  const std::string seconds = std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                  drawn ? kSettleTimeout : kDrawTimeout).count());
  if (!open) throw HostError("the window of " + name + "'s editor was closed before it showed a complete frame");
  if (!grabbed) throw HostError("cannot read the window of " + name + "'s editor back from the screen");
  if (!drawn) throw HostError("the editor of " + name + " drew nothing in " + seconds + " s");
  shot.settled = false;
  shot.msToFrame = Ms(changed - window.OpenedAt());
  return shot;
}

void FrameToBitmap(const Frame& frame, PIX_IBitmap* image) {
  image->resize(frame.width, frame.height);
  PIX_pixel* bits = image->getBits();
  for (int y = 0; y < frame.height; ++y)
    std::copy_n(&frame.pixels[size_t(y) * frame.width], frame.width, bits + size_t(y) * image->getRowSpan());
}

void SaveEditorScreenshot(PluginInstance& plugin, const std::string& path, std::ostream& log) {
  const EditorShot shot = ShootEditor(plugin);
  PIX_MemBitmap image;
  FrameToBitmap(shot.frame, &image);
  PngOutput(path).Write(image);
  if (!shot.settled)
    Warn("the editor of " + plugin.Name() + " kept changing for " +
         std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kSettleTimeout).count()) +
         " s; the picture is its last frame");
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.0f ms", shot.msToFrame);
  log << "saved the editor of " << plugin.Name() << " (" << shot.frame.width << " x " << shot.frame.height
      << ") to " << path << "; its first complete frame was on screen " << ms << " after effEditOpen\n";
}
