// Hosts as they are: open twice, ask the size first, close in every order, several editors at
// once, many open and close cycles, a parent destroyed under the editor, and no display at all.
// gtest comes before Xlib, whose macros (None, Bool) it would not survive.
#include "tests/platform/editor_fixture.h"

#include <X11/Xlib.h>
#include <dirent.h>

#include <atomic>

namespace {
int OpenFiles() {
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

std::atomic<int> gHostXErrors{0};
int CountError(Display*, XErrorEvent*) {
  ++gHostXErrors;
  return 0;
}
}  // namespace

TEST_F(EditorHost, TheSizeIsKnownBeforeOpeningAndOpeningTwiceLeavesOneWindow) {
  ERect* rect = nullptr;
  ASSERT_EQ(daw->Host().Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, test_artwork::kEditorW);
  EXPECT_EQ(rect->bottom - rect->top, test_artwork::kEditorH);
  ASSERT_EQ(daw->OpenEditor(), 1);
  ASSERT_EQ(daw->OpenEditor(), 1);
  EXPECT_EQ(daw->EditorWindows().size(), 1u);
  EXPECT_TRUE(ShowsKnobFrame(30));
}

TEST_F(EditorHost, ClosingInEveryOrderIsSafe) {
  Open();
  EXPECT_EQ(daw->CloseEditor(), 1);
  EXPECT_TRUE(DawHost::WaitFor([&] { return daw->EditorWindows().empty(); }));
  EXPECT_EQ(daw->CloseEditor(), 1);  // closing a closed editor does nothing
  Open();
  daw->SetIdle(false);
  daw->OnGui([&] { daw->Host().Close(); });  // effClose with the editor still open
  EXPECT_TRUE(DawHost::WaitFor([&] { return daw->EditorWindows().empty(); }));
}

TEST_F(EditorHost, TwoInstancesHaveTheirOwnEditors) {
  Open();
  DawHost second(*library, 10, 330);
  ASSERT_EQ(second.OpenEditor(), 1);
  second.Effect()->setParameter(second.Effect(), kGain, 0.0f);
  ASSERT_TRUE(DawHost::WaitFor([&] { return second.PixelAt(50, 50) == (test_artwork::KnobFrame(0) & 0xFFFFFF); }));
  EXPECT_TRUE(ShowsKnobFrame(30, 0.2));  // the first editor is unchanged
  second.Click(110, 30);  // the second one's switch
  ASSERT_TRUE(DawHost::WaitFor([&] { return second.Effect()->getParameter(second.Effect(), kSwitch) == 1.0f; }));
  EXPECT_EQ(Param(kSwitch), 0.0f);
}

TEST_F(EditorHost, ManyOpenAndCloseCyclesLeaveNothingBehind) {
  Open();
  daw->CloseEditor();
  const int files = OpenFiles();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(daw->OpenEditor(), 1) << i;
    ASSERT_EQ(daw->CloseEditor(), 1) << i;
  }
  EXPECT_EQ(OpenFiles(), files);  // every X connection is closed again
  EXPECT_TRUE(daw->EditorWindows().empty());
}

TEST_F(EditorHost, AParentDestroyedUnderTheEditorRaisesNothingAtTheHost) {
  // The host's handler, installed before any editor runs, as hosts do at start-up.
  XErrorHandler previous = XSetErrorHandler(CountError);
  gHostXErrors = 0;
  Open();
  daw->DestroyParent();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // a few idle calls on a dead window
  EXPECT_EQ(daw->CloseEditor(), 1);
  XSync(daw->TestDisplay(), False);
  EXPECT_EQ(gHostXErrors, 0);
  XSetErrorHandler(previous);
}

TEST(EditorWithoutDisplay, ThePlugInStillWorksAndTheEditorDoesNotOpen) {
  const char* display = getenv("DISPLAY");
  const std::string saved = display ? display : "";
  setenv("DISPLAY", ":97", 1);  // nobody there
  PluginLibrary library(TEST_EDITOR_PLUGIN);
  ASSERT_TRUE(library.Loaded());
  {
    TestHost host(library);
    host.Start();
    float in[2][64] = {}, out[2][64] = {};
    in[0][3] = 0.5f;
    float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
    host.Effect()->processReplacing(host.Effect(), ins, outs, 64);
    EXPECT_EQ(out[0][3], 0.5f);
    void* chunk = nullptr;
    const VstIntPtr size = host.Dispatch(effGetChunk, 1, 0, &chunk);
    ASSERT_GT(size, 0);
    std::vector<char> saved_(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
    EXPECT_EQ(host.Dispatch(effSetChunk, 1, size, saved_.data()), 1);
    EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(1)), 0);
    EXPECT_EQ(host.Dispatch(effEditIdle), 0);
  }
  if (display)
    setenv("DISPLAY", saved.c_str(), 1);
  else
    unsetenv("DISPLAY");
}
