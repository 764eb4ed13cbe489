// The editor on an X server: a full 784 x 184 screen copy (waited for with XSync) through
// MIT-SHM and through plain XPutImage, beside cairo painting the same image surface onto a
// cairo-xlib surface of the same window; and the CPU time an open editor with nothing to show
// costs its GUI thread. Needs a display (scripts/test runs the benchmarks under Xvfb).
#include <benchmark/benchmark.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <pthread.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "bench/pair.h"
#include "bench/pix/bench_images.h"
#include "platform/x11_connection.h"
#include "platform/x11_screen.h"
#include "tests/examples/verlo_screen.h"
#include "tests/platform/daw_host.h"
#include "tests/platform/test_artwork.h"

namespace {
constexpr int kW = 784, kH = 184;

// A mapped window on its own connection, with the same bitmap for both sides.
class ScreenCopyCase {
public:
  explicit ScreenCopyCase(bool shm) : mBitmap(kW, kH) {
    Randomize(mBitmap, false, 5);
    mDisplay = X11OpenDisplay();
    if (!mDisplay) return;
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, kW, kH, 0, 0, 0);
    XMapWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
    mOk = mCopy.Init(mDisplay, mWindow, kW, kH, shm) && mCopy.UsesShm() == shm;
    mImage = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(mBitmap.getBits()),
                                                 CAIRO_FORMAT_RGB24, kW, kH, mBitmap.getRowSpan() * 4);
    mTarget = cairo_xlib_surface_create(mDisplay, mWindow, DefaultVisual(mDisplay, DefaultScreen(mDisplay)), kW, kH);
    mCairo = cairo_create(mTarget);
  }
  ~ScreenCopyCase() {
    if (!mDisplay) return;
    cairo_destroy(mCairo);
    cairo_surface_destroy(mTarget);
    cairo_surface_destroy(mImage);
    mCopy.Release();
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }
  void Peer() {
    if (!mDisplay) return;
    cairo_set_source_surface(mCairo, mImage, 0, 0);
    cairo_paint(mCairo);
    cairo_surface_flush(mTarget);
    XSync(mDisplay, False);
  }
  void Ours() {
    if (mDisplay) mOk = mOk && mCopy.Put(&mBitmap, IRECT(0, 0, kW, kH));
  }
  bool PeerOk() const { return mDisplay && cairo_status(mCairo) == CAIRO_STATUS_SUCCESS; }
  bool OursOk() const { return mDisplay && mOk; }

private:
  PIX_MemBitmap mBitmap;
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  X11ScreenCopy mCopy;
  cairo_surface_t* mImage = nullptr;
  cairo_surface_t* mTarget = nullptr;
  cairo_t* mCairo = nullptr;
  bool mOk = false;
};

double ThreadCpuSeconds(pthread_t thread) {
  clockid_t clock;
  timespec t = {};
  if (pthread_getcpuclockid(thread, &clock) == 0) clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Each iteration watches an open editor that shows no changes for one second, idled every 40 ms
// from the host's GUI thread, and reports that thread's CPU time as a share of one core.
void BM_IdleEditorCpuShare(benchmark::State& st) {
  test_artwork::InstallForTestEditor();
  PluginLibrary library(TEST_EDITOR_PLUGIN);
  DawHost daw(library);
  if (!daw.HasDisplay() || daw.OpenEditor() != 1) {
    st.SkipWithError("no display, or the editor did not open");
    return;
  }
  pthread_t gui = 0;
  daw.OnGui([&] { gui = pthread_self(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the first frame is out
  double busy = 0.0, wall = 0.0;
  for (auto _ : st) {
    const double cpu0 = ThreadCpuSeconds(gui);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    busy += ThreadCpuSeconds(gui) - cpu0;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  st.counters["cpu_percent_of_a_core"] = 100.0 * busy / wall;
  daw.CloseEditor();
}
BENCHMARK(BM_IdleEditorCpuShare)->Unit(benchmark::kMillisecond)->UseRealTime();

// From effEditOpen on Verlo's bundle until its first complete frame is on screen: every control
// shows its frame (checked in the knobs' and the switch's rectangles), as a host's next idle
// calls put it there.
void BM_Verlo_OpenToFirstFrame(benchmark::State& st) {
  const verlo_screen::Area want[] = {verlo_screen::Expected("BY.png", 2, 1, 91, 53),
                                     verlo_screen::Expected("FADE.png", 61, 1, 191, 26),
                                     verlo_screen::Expected("OUT.png", 61, 31, 626, 40)};
  const int at[][2] = {{91, 53}, {191, 26}, {626, 40}};
  PluginLibrary library(VERLO_PLUGIN_PATH);
  DawHost daw(library);
  if (!daw.HasDisplay() || want[0].pixels.empty()) {
    st.SkipWithError("no display, or no artwork");
    return;
  }
  bool complete = true;
  for (auto _ : st) {
    const auto start = std::chrono::steady_clock::now();
    daw.OpenEditor();
    complete = complete && DawHost::WaitFor([&] {
      for (int i = 0; i < 3; ++i)
        if (daw.Grab(at[i][0], at[i][1], want[i].w, want[i].h) != want[i].pixels) return false;
      return true;
    });
    st.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    daw.CloseEditor();
  }
  if (!complete) st.SkipWithError("the editor never showed a complete frame");
}
BENCHMARK(BM_Verlo_OpenToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

const bool kRegistered = [] {
  bench_pair::Register<ScreenCopyCase>("BM_Cairo_XlibPaint784x184", "BM_X11ScreenCopy_Shm784x184",
                                       "BM_Pair_ScreenCopyShm784x184", true);
  bench_pair::Register<ScreenCopyCase>("BM_Cairo_XlibPaint784x184_BesidePutImage", "BM_X11ScreenCopy_PutImage784x184",
                                       "BM_Pair_ScreenCopyPutImage784x184", false);
  return true;
}();
}  // namespace
