// Resampling blits side by side with pixman's transforms, and PNG decoding side by side with
// cairo's PNG reader. Each pair processes the same pixels.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bench/pair.h"
#include "bench/pix/bench_images.h"
#include "pix/pix.h"

namespace {

// Whether the blit wrote into bm, which held the fill Randomize(bm, false, seed) before it.
bool Changed(const PIX_MemBitmap& bm, unsigned seed) {
  PIX_MemBitmap before(bm.getWidth(), bm.getHeight());
  Randomize(before, false, seed);
  for (int y = 0; y < bm.getHeight(); ++y)
    if (!std::equal(bm.getBits() + y * bm.getRowSpan(), bm.getBits() + y * bm.getRowSpan() + bm.getWidth(),
                    before.getBits() + y * before.getRowSpan()))
      return true;
  return false;
}

// pixman drawing src through a bilinear transform (destination to source) onto a w x h image,
// and our blit of the same pixels.
class TransformCase {
 public:
  TransformCase(bool variedAlpha, int sw, int sh, int w, int h, const pixman_transform_t& t, pixman_op_t op)
      : src_(sw, sh), peerSrc_(sw, sh), dst_(w, h), peerDst_(w, h), op_(op), w_(w), h_(h) {
    Randomize(src_, variedAlpha, 1);
    Randomize(peerSrc_, variedAlpha, 1);
    Premultiply(peerSrc_);
    Randomize(dst_, false, kDestSeed);
    Randomize(peerDst_, false, kDestSeed);
    s_ = Wrap(peerSrc_);
    d_ = Wrap(peerDst_);
    pixman_image_set_transform(s_, &t);
    pixman_image_set_filter(s_, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  }
  ~TransformCase() {
    pixman_image_unref(d_);
    pixman_image_unref(s_);
  }
  TransformCase(const TransformCase&) = delete;
  TransformCase& operator=(const TransformCase&) = delete;

  void Peer() { pixman_image_composite32(op_, s_, nullptr, d_, 0, 0, 0, 0, 0, 0, w_, h_); }
  // The blits report nothing, so a side that ran must at least have drawn.
  bool PeerOk() const { return Changed(peerDst_, kDestSeed); }
  bool OursOk() const { return Changed(dst_, kDestSeed); }

  // pixman's box-filtered downscale (a separable convolution, as cairo's good filter uses) in
  // place of its bilinear filter.
  void UseBoxFilter(double scale) {
    int n = 0;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &n, pixman_double_to_fixed(scale), pixman_double_to_fixed(scale), PIXMAN_KERNEL_IMPULSE,
        PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 0, 0);
    pixman_image_set_filter(s_, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
    free(params);
  }

  void UseNearestFilter() { pixman_image_set_filter(s_, PIXMAN_FILTER_NEAREST, nullptr, 0); }

 protected:
  PIX_MemBitmap src_, peerSrc_, dst_, peerDst_;

 private:
  static constexpr unsigned kDestSeed = 2;
  pixman_image_t* s_ = nullptr;
  pixman_image_t* d_ = nullptr;
  pixman_op_t op_;
  int w_, h_;
};

pixman_transform_t Scale(double f) {
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(f), pixman_double_to_fixed(f));
  return t;
}

// 200 x 200 scaled to w x w.
class ScaleCase : public TransformCase {
 public:
  // peerBox: pixman filters with a box instead of bilinearly.
  explicit ScaleCase(int w, bool peerBox = false)
      : TransformCase(false, 200, 200, w, w, Scale(200.0 / w), PIXMAN_OP_SRC), w_(w) {
    if (peerBox) UseBoxFilter(200.0 / w);
  }
  void Ours() { PIX_ScaledBlit(&dst_, &src_, 0, 0, w_, w_, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR); }

 private:
  int w_;
};

// 200 x 200 with varied alpha scaled to 150 x 150 over an opaque image, unfiltered.
class NearestCase : public TransformCase {
 public:
  NearestCase() : TransformCase(true, 200, 200, 150, 150, Scale(200.0 / 150), PIXMAN_OP_OVER) {
    UseNearestFilter();
  }
  void Ours() { PIX_ScaledBlit(&dst_, &src_, 0, 0, 150, 150, 0, 0, 200, 200, 1.0f, PIX_FLAG_SOURCE_ALPHA); }
};

const double kAngle = 30.0 * M_PI / 180.0;

// Turned about the image centre, as PIX_RotatedBlit does with no centre offset.
pixman_transform_t Rotation() {
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  const pixman_fixed_t c = pixman_double_to_fixed(50.0);
  pixman_transform_translate(&t, nullptr, -c, -c);
  pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(kAngle)), pixman_double_to_fixed(std::sin(kAngle)));
  pixman_transform_translate(&t, nullptr, c, c);
  return t;
}

// 100 x 100 with varied alpha, turned by 30 degrees over an opaque image.
class RotateCase : public TransformCase {
 public:
  RotateCase() : TransformCase(true, 100, 100, 100, 100, Rotation(), PIXMAN_OP_OVER) {}
  void Ours() {
    PIX_RotatedBlit(&dst_, &src_, 0, 0, 100, 100, 0, 0, 100, 100, static_cast<float>(kAngle), false, 1.0f,
                    PIX_FLAG_SOURCE_ALPHA | PIX_FILTER_BILINEAR, 0, 0);
  }
};

// ---- PNG decoding of an editor-sized RGBA image ----

// Artwork-like content: gradients, flat areas, soft alpha edges and a little noise.
const std::vector<unsigned char>& EditorPNG() {
  static const std::vector<unsigned char> bytes = [] {
    PIX_MemBitmap bm(784, 184);
    std::mt19937 rng(3);
    for (int y = 0; y < 184; ++y)
      for (int x = 0; x < 784; ++x) {
        const int n = int(rng() % 7);
        const int a = x < 200 ? 255 : x < 400 ? (x - 200) * 255 / 200 : (y * 7 + x) % 97 < 40 ? 0 : 255;
        bm.getBits()[y * bm.getRowSpan() + x] = PIX_RGBA(x * 255 / 784 + n, y + n, (x ^ y) & 0xF0, a);
      }
    const std::string path = "/tmp/pix_scaled_bench_" + std::to_string(getpid()) + ".png";
    std::vector<unsigned char> out;
    if (PIX_WritePNG(&bm, path.c_str())) {
      FILE* f = fopen(path.c_str(), "rb");
      if (f) {
        unsigned char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
        fclose(f);
      }
      remove(path.c_str());
    }
    return out;
  }();
  return bytes;
}

struct Stream {
  const unsigned char* p;
  size_t left;
};

cairo_status_t ReadStream(void* closure, unsigned char* data, unsigned int length) {
  Stream* s = static_cast<Stream*>(closure);
  if (length > s->left) return CAIRO_STATUS_READ_ERROR;
  memcpy(data, s->p, length);
  s->p += length;
  s->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

// An editor-sized RGBA image decoded from memory.
class DecodeCase {
 public:
  DecodeCase() : png_(EditorPNG()) {}
  void Peer() {
    Stream s = {png_.data(), png_.size()};
    cairo_surface_t* img = cairo_image_surface_create_from_png_stream(ReadStream, &s);
    peerOk_ = peerOk_ && cairo_surface_status(img) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(img);
  }
  void Ours() {
    PIX_IBitmap* bm = PIX_LoadPNGFromMemory(png_.data(), static_cast<int>(png_.size()), nullptr);
    oursOk_ = oursOk_ && bm != nullptr;
    delete bm;
  }
  bool PeerOk() const { return peerOk_ && !png_.empty(); }
  bool OursOk() const { return oursOk_ && !png_.empty(); }

 private:
  const std::vector<unsigned char>& png_;
  bool peerOk_ = true, oursOk_ = true;
};

const bool kRegistered = [] {
  using bench_pair::Register;
  Register<ScaleCase>("BM_Pixman_Bilinear200to150", "BM_PIX_ScaledBlit200to150", "BM_Pair_Scale200to150", 150);
  Register<ScaleCase>("BM_Pixman_Bilinear200to50", "BM_PIX_ScaledBlit200to50", "BM_Pair_Scale200to50", 50);
  // Our 200 -> 50 reduces with a 5 x 5 box; the same work by pixman's box filter, for reference.
  Register<ScaleCase>("BM_Pixman_Box200to50", "", "BM_Pair_BoxScale200to50", 50, true);
  Register<NearestCase>("BM_Pixman_NearestOver200to150", "BM_PIX_ScaledBlitNearest200to150",
                        "BM_Pair_Nearest200to150");
  Register<RotateCase>("BM_Pixman_BilinearRotate100Over", "BM_PIX_RotatedBlit100SourceAlpha",
                       "BM_Pair_Rotate100");
  Register<DecodeCase>("BM_Cairo_DecodePNG784x184", "BM_PIX_LoadPNGFromMemory784x184", "BM_Pair_DecodePNG784x184");
  return true;
}();

}  // namespace
