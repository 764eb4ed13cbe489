// A full redraw of an editor laid out like Verlo's (opaque 784 x 184 background, a two-frame
// switch and four 61-frame knob strips with soft alpha edges), every control dirty, through
// IsDirty and Draw into the draw bitmap, beside pixman compositing the same premultiplied images
// at the same places: SRC for the background, OVER for the rest. Also the cost of a redraw-timer
// tick with nothing dirty.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/pair.h"
#include "bench/pix/bench_images.h"
#include "graphics/IBitmapControl.h"
#include "pix/pix.h"
#include "tests/graphics/recording_graphics.h"

namespace {

// A knob-like strip: each frame a disk with an anti-aliased rim, transparent outside.
PIX_MemBitmap* KnobStrip(int size, int frames, unsigned seed) {
  PIX_MemBitmap* bm = new PIX_MemBitmap(size, size * frames);
  Randomize(*bm, false, seed);
  const double r = size * 0.45, c = (size - 1) * 0.5;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(x - c, (y % size) - c);
      const double cover = std::max(0.0, std::min(1.0, r - d + 0.5));
      PIX_pixel& p = bm->getBits()[y * bm->getRowSpan() + x];
      p = (p & 0xFFFFFF) | (static_cast<PIX_pixel>(cover * 255.0 + 0.5) << 24);
    }
  return bm;
}

// Where each image goes, and which frame it shows.
struct Placement {
  PIX_MemBitmap* image;
  int x, y, frames;
  double value;
};

class Screen : public RecordingGraphics {
public:
  using RecordingGraphics::RecordingGraphics;
  bool DrawScreen(IRECT*) override { return true; }
};

class EditorRedraw {
public:
  EditorRedraw() : mEditor(nullptr, 784, 184) {
    PIX_MemBitmap* background = new PIX_MemBitmap(784, 184);
    Randomize(*background, false, 1);
    mPlaces = {{background, 0, 0, 1, 0.0},          {KnobStrip(64, 2, 2), 91, 53, 2, 1.0},
               {KnobStrip(100, 61, 3), 191, 26, 61, 0.3}, {KnobStrip(100, 61, 4), 341, 26, 61, 0.5},
               {KnobStrip(100, 61, 5), 490, 26, 61, 0.7}, {KnobStrip(80, 61, 6), 626, 40, 61, 0.9}};
    mEditor.PrepDraw();
    for (size_t i = 0; i < mPlaces.size(); ++i) {
      const Placement& p = mPlaces[i];
      IBitmap handle(p.image, p.image->getWidth(), p.image->getHeight(), p.frames);
      mEditor.RetainBitmap(&handle);  // the store owns the images from here on
      IControl* control = new IBitmapControl(
          nullptr, p.x, p.y, -1, &handle, i == 0 ? IChannelBlend::kBlendMethodCopy : IChannelBlend::kBlendMethodAlpha);
      control->SetValue(p.value);
      mEditor.AttachControl(control);
      // pixman's copy: premultiplied, the background as an opaque format.
      auto copy = std::make_unique<PIX_MemBitmap>(p.image->getWidth(), p.image->getHeight());
      PIX_Copy(copy.get(), p.image);
      Premultiply(*copy);
      mPeerImages.push_back(pixman_image_create_bits(i == 0 ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, copy->getWidth(),
                                                     copy->getHeight(), reinterpret_cast<uint32_t*>(copy->getBits()),
                                                     copy->getRowSpan() * 4));
      mPeerPixels.push_back(std::move(copy));
    }
    mPeerTarget = std::make_unique<PIX_MemBitmap>(784, 184);
    mPeerDest = pixman_image_create_bits(PIXMAN_x8r8g8b8, 784, 184,
                                         reinterpret_cast<uint32_t*>(mPeerTarget->getBits()),
                                         mPeerTarget->getRowSpan() * 4);
  }
  ~EditorRedraw() {
    for (pixman_image_t* image : mPeerImages) pixman_image_unref(image);
    pixman_image_unref(mPeerDest);
    for (const Placement& p : mPlaces) {
      IBitmap handle(p.image, 0, 0);
      mEditor.ReleaseBitmap(&handle);
    }
  }

  void Peer() {
    for (size_t i = 0; i < mPlaces.size(); ++i) {
      const Placement& p = mPlaces[i];
      const int w = p.image->getWidth(), h = p.image->getHeight() / p.frames;
      const int frame = FrameForValue(p.frames, p.value) - 1;
      pixman_image_composite32(i == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, mPeerImages[i], nullptr, mPeerDest, 0,
                               frame * h, 0, 0, p.x, p.y, w, h);
    }
  }
  void Ours() {
    mEditor.SetAllControlsDirty();
    IRECT area;
    if (mEditor.IsDirty(&area)) mDrew = mEditor.Draw(&area) && area == IRECT(0, 0, 784, 184);
  }
  bool PeerOk() const { return true; }
  bool OursOk() const { return mDrew; }

  // A timer tick that finds nothing to draw.
  bool IdleTick() {
    IRECT area;
    return mEditor.IsDirty(&area);
  }

private:
  Screen mEditor;
  std::vector<Placement> mPlaces;
  std::vector<std::unique_ptr<PIX_MemBitmap>> mPeerPixels;
  std::vector<pixman_image_t*> mPeerImages;
  std::unique_ptr<PIX_MemBitmap> mPeerTarget;
  pixman_image_t* mPeerDest = nullptr;
  bool mDrew = false;
};

void BM_Editor_IdleTick(benchmark::State& st) {
  EditorRedraw editor;
  editor.Ours();
  bool dirty = false;
  for (auto _ : st) benchmark::DoNotOptimize(dirty |= editor.IdleTick());
  if (dirty) st.SkipWithError("something stayed dirty");
}
BENCHMARK(BM_Editor_IdleTick);

const bool kRegistered = [] {
  bench_pair::Register<EditorRedraw>("BM_Pixman_EditorComposite", "BM_IGraphics_FullRedraw", "BM_Pair_FullRedraw");
  return true;
}();

}  // namespace
