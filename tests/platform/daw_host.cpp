#include "tests/platform/daw_host.h"

#include <X11/Xlib.h>

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/x11_connection.h"

DawHost::DawHost(PluginLibrary& library, int parentX, int parentY)
    : mParentX(parentX), mParentY(parentY), mHost(std::make_unique<TestHost>(library)) {
  mDisplay = X11OpenDisplay();
  if (mDisplay) {
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;  // stays exactly where it is put
    attributes.background_pixel = 0x808080;
    mParent = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), parentX, parentY, 900, 300, 0, CopyFromParent,
                            InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(mDisplay, mParent);
    XSync(mDisplay, False);
  }
  mGui = std::thread([this] { GuiLoop(); });
}

DawHost::~DawHost() {
  if (mOpen) CloseEditor();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mQuit = true;
  }
  mWake.notify_all();
  mGui.join();
  mHost.reset();  // effClose
  if (mDisplay) {
    if (mParent) XDestroyWindow(mDisplay, mParent);
    XCloseDisplay(mDisplay);
  }
}

void DawHost::GuiLoop() {
  std::unique_lock<std::mutex> lock(mMutex);
  while (!mQuit) {
    mWake.wait_for(lock, std::chrono::milliseconds(40), [this] { return mQuit || !mTasks.empty(); });
    std::vector<std::function<void()>> tasks;
    tasks.swap(mTasks);
    lock.unlock();
    for (auto& task : tasks) task();
    if (mOpen && mIdling && Effect()) mHost->Dispatch(effEditIdle);
    lock.lock();
  }
}

void DawHost::OnGui(const std::function<void()>& f) {
  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mTasks.push_back([&] {
      f();
      std::lock_guard<std::mutex> doneLock(doneMutex);
      done = true;
      doneCv.notify_all();
    });
  }
  mWake.notify_all();
  std::unique_lock<std::mutex> doneLock(doneMutex);
  doneCv.wait(doneLock, [&] { return done; });
}

VstIntPtr DawHost::OpenEditor() {
  VstIntPtr opened = 0;
  OnGui([&] {
    ERect* rect = nullptr;
    mHost->Dispatch(effEditGetRect, 0, 0, &rect);
    opened = mHost->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(mParent)));
    mOpen = opened != 0;
  });
  return opened;
}

VstIntPtr DawHost::CloseEditor() {
  VstIntPtr closed = 0;
  OnGui([&] {
    if (Effect()) closed = mHost->Dispatch(effEditClose);
    mOpen = false;
  });
  return closed;
}

void DawHost::DestroyParent() {
  XDestroyWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  mParent = 0;
}

std::vector<unsigned long> DawHost::EditorWindows() {
  std::vector<unsigned long> found;
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  XSync(mDisplay, False);
  if (XQueryTree(mDisplay, mParent, &root, &parent, &children, &n)) found.assign(children, children + n);
  if (children) XFree(children);
  return found;
}

void DawHost::MoveTo(int x, int y) {
  XTestFakeMotionEvent(mDisplay, -1, mParentX + x, mParentY + y, CurrentTime);
  XSync(mDisplay, False);
}

void DawHost::Button(unsigned button, bool press) {
  XTestFakeButtonEvent(mDisplay, button, press, CurrentTime);
  XSync(mDisplay, False);
}

void DawHost::Click(int x, int y, unsigned button) {
  MoveTo(x, y);
  Button(button, true);
  Button(button, false);
}

void DawHost::Key(unsigned long keysym, bool withControl) {
  const KeyCode control = XKeysymToKeycode(mDisplay, XK_Control_L), key = XKeysymToKeycode(mDisplay, keysym);
  if (withControl) XTestFakeKeyEvent(mDisplay, control, True, CurrentTime);
  XTestFakeKeyEvent(mDisplay, key, True, CurrentTime);
  XTestFakeKeyEvent(mDisplay, key, False, CurrentTime);
  if (withControl) XTestFakeKeyEvent(mDisplay, control, False, CurrentTime);
  XSync(mDisplay, False);
}

std::vector<uint32_t> DawHost::Grab(int x, int y, int w, int h) {
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0);
  XSync(mDisplay, False);
  // What the screen shows there, our child windows included.
  XImage* image = XGetImage(mDisplay, DefaultRootWindow(mDisplay), mParentX + x, mParentY + y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) pixels[static_cast<size_t>(j) * w + i] = XGetPixel(image, i, j) & 0xFFFFFF;
  XDestroyImage(image);
  return pixels;
}

bool DawHost::WaitFor(const std::function<bool()>& cond, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return cond();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

namespace {
std::string OpenerRecord() { return "/tmp/verlo_opener_" + std::to_string(getpid()) + "/opened.txt"; }
}  // namespace

void InstallOpenerStandIn() {
  const std::string record = OpenerRecord(), dir = record.substr(0, record.rfind('/'));
  mkdir(dir.c_str(), 0755);
  std::remove(record.c_str());
  std::ofstream(dir + "/xdg-open") << "#!/bin/sh\necho \"$@\" > '" << record << "'\n";
  chmod((dir + "/xdg-open").c_str(), 0755);
  const char* path = getenv("PATH");
  setenv("PATH", (dir + ":" + (path ? path : "")).c_str(), 1);
}

std::string OpenedAddress() {
  std::string opened;
  DawHost::WaitFor([&] {
    std::ifstream in(OpenerRecord());
    std::getline(in, opened);
    return !opened.empty();
  });
  return opened;
}
