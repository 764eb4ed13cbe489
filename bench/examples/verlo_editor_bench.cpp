// Verlo's real editor redrawn in full (every control dirty, its own artwork, through IsDirty and
// Draw into the draw bitmap), beside pixman compositing the same premultiplied images at the same
// places: SRC for the background, OVER for the switch and the four knobs.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/pair.h"
#include "bench/pix/bench_images.h"
#include "examples/Verlo/Verlo.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IGraphics.h"
#include "kit/bundle.h"
#include "pix/pix.h"

namespace {
struct Place {
  const char* file;
  int x, y, frames, frame;
};
// Verlo's layout at its default values: FADE, CHOP and DRY at the bottom of their range, OUTPUT
// (0 dB) in the middle, the bypass off.
const Place kPlaces[] = {{"BG.png", 0, 0, 1, 1},      {"BY.png", 91, 53, 2, 1},     {"FADE.png", 191, 26, 61, 1},
                         {"CHOP.png", 341, 26, 61, 1}, {"DRY.png", 490, 26, 61, 1}, {"OUT.png", 626, 40, 61, 31}};

class VerloRedraw {
public:
  VerloRedraw() : mVerlo(IEffectInstanceInfo{}) {
    for (const Place& p : kPlaces) {
      char path[4096];
      std::unique_ptr<PIX_IBitmap> image;
      if (KIT_GetBundleResourcePath(p.file, path, sizeof path)) image.reset(PIX_LoadPNG(path, nullptr));
      if (!image) return;
      auto copy = std::make_unique<PIX_MemBitmap>(image->getWidth(), image->getHeight());
      PIX_Copy(copy.get(), image.get());
      Premultiply(*copy);
      mImages.push_back(pixman_image_create_bits(p.frames == 1 ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, copy->getWidth(),
                                                 copy->getHeight(), reinterpret_cast<uint32_t*>(copy->getBits()),
                                                 copy->getRowSpan() * 4));
      mPixels.push_back(std::move(copy));
    }
    mTarget = std::make_unique<PIX_MemBitmap>(784, 184);
    mDest = pixman_image_create_bits(PIXMAN_x8r8g8b8, 784, 184, reinterpret_cast<uint32_t*>(mTarget->getBits()),
                                     mTarget->getRowSpan() * 4);
  }
  ~VerloRedraw() {
    for (pixman_image_t* image : mImages) pixman_image_unref(image);
    pixman_image_unref(mDest);
  }
  void Peer() {
    for (size_t i = 0; i < mImages.size(); ++i) {
      const Place& p = kPlaces[i];
      const int w = mPixels[i]->getWidth(), h = mPixels[i]->getHeight() / p.frames;
      pixman_image_composite32(i == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, mImages[i], nullptr, mDest, 0,
                               (p.frame - 1) * h, 0, 0, p.x, p.y, w, h);
    }
  }
  void Ours() {
    IGraphics* g = mVerlo.GetGUI();
    g->SetAllControlsDirty();
    IRECT area;
    g->IsDirty(&area);
    g->Draw(&area);  // no window: everything is drawn, nothing shown
    mDrew = area.L == 0 && area.T == 0 && area.R >= 784 && area.B >= 184;  // the link reaches beyond
  }
  bool PeerOk() const { return mImages.size() == 6; }
  bool OursOk() const { return mDrew && mImages.size() == 6; }

private:
  Verlo mVerlo;
  std::vector<std::unique_ptr<PIX_MemBitmap>> mPixels;
  std::vector<pixman_image_t*> mImages;
  std::unique_ptr<PIX_MemBitmap> mTarget;
  pixman_image_t* mDest = nullptr;
  bool mDrew = false;
};

const bool kRegistered = [] {
  bench_pair::Register<VerloRedraw>("BM_Pixman_VerloComposite", "BM_Verlo_FullRedraw", "BM_Pair_VerloFullRedraw");
  return true;
}();
}  // namespace
