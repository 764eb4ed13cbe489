#include "tests/lv2/suil_editor_host.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {
constexpr char kX11UI[] = LV2_UI__X11UI;
// The bundle's port symbols in index order, as a host reads them from its turtle.
constexpr const char* kPortSymbols[] = {"fade", "chop", "dry", "output", "by", "in_1", "in_2", "out_1", "out_2"};
}  // namespace

SuilEditorHost::SuilEditorHost(Display* display, int x, int y, int w, int h) : mDisplay(display) {
  mParent = MakeShownWindow(display, x, y, w, h, 0);
  mMap = {this, &OnMap};
  mHost = suil_host_new(&OnWrite, &OnPortIndex, &OnSubscribe, &OnSubscribe);
  suil_host_set_touch_func(mHost, &OnTouch);
  const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(mParent))};
  const LV2_Feature map = {LV2_URID__map, &mMap};
  const LV2_Feature idle = {LV2_UI__idleInterface, nullptr};
  const LV2_Feature* features[] = {&parent, &map, &idle, nullptr};
  mInstance = suil_instance_new(mHost, this, kX11UI, kPluginURI, kUIURI, kX11UI, VERLO_LV2_BUNDLE,
                                VERLO_PLUGIN_PATH, features);
  if (mInstance)
    mIdle = static_cast<const LV2UI_Idle_Interface*>(suil_instance_extension_data(mInstance, LV2_UI__idleInterface));
}

SuilEditorHost::~SuilEditorHost() {
  FreeInstance();
  if (mHost) suil_host_free(mHost);
  DestroyParent();
}

Window SuilEditorHost::Widget() const {
  return mInstance ? static_cast<Window>(reinterpret_cast<uintptr_t>(suil_instance_get_widget(mInstance))) : 0;
}

std::vector<Window> SuilEditorHost::ParentChildren() const {
  std::vector<Window> found;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  XSync(mDisplay, False);
  if (mParent && XQueryTree(mDisplay, mParent, &root, &parent, &children, &n)) found.assign(children, children + n);
  if (children) XFree(children);
  return found;
}

int SuilEditorHost::Idle() { return mIdle ? mIdle->idle(suil_instance_get_handle(mInstance)) : 1; }

bool SuilEditorHost::IdleUntil(const std::function<bool()>& cond, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    Idle();
    if (cond()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void SuilEditorHost::SendPortValue(uint32_t port, float value) {
  suil_instance_port_event(mInstance, port, sizeof value, 0, &value);
}

std::unique_ptr<PIX_MemBitmap> SuilEditorHost::Capture() const {
  XSync(mDisplay, False);
  return CaptureWindow(mDisplay, mParent);
}

void SuilEditorHost::FreeInstance() {
  if (mInstance) suil_instance_free(mInstance);
  mInstance = nullptr;
  mIdle = nullptr;
}

void SuilEditorHost::DestroyParent() {
  if (!mParent) return;
  XDestroyWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  mParent = 0;
}

void SuilEditorHost::OnWrite(SuilController controller, uint32_t port, uint32_t size, uint32_t format,
                             const void* buffer) {
  HostCall call;
  call.kind = HostCall::Kind::kWrite;
  call.port = port;
  call.size = size;
  call.format = format;
  if (size == sizeof call.value && buffer) std::memcpy(&call.value, buffer, sizeof call.value);
  static_cast<SuilEditorHost*>(controller)->mCalls.push_back(call);
}

uint32_t SuilEditorHost::OnPortIndex(SuilController, const char* symbol) {
  for (uint32_t i = 0; i < sizeof kPortSymbols / sizeof kPortSymbols[0]; ++i)
    if (symbol && std::strcmp(symbol, kPortSymbols[i]) == 0) return i;
  return LV2UI_INVALID_PORT_INDEX;
}

void SuilEditorHost::OnTouch(SuilController controller, uint32_t port, bool grabbed) {
  HostCall call;
  call.kind = HostCall::Kind::kTouch;
  call.port = port;
  call.grabbed = grabbed;
  static_cast<SuilEditorHost*>(controller)->mCalls.push_back(call);
}

LV2_URID SuilEditorHost::OnMap(LV2_URID_Map_Handle handle, const char* uri) {
  auto& uris = static_cast<SuilEditorHost*>(handle)->mURIs;
  for (size_t i = 0; i < uris.size(); ++i)
    if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
  uris.emplace_back(uri);
  return static_cast<LV2_URID>(uris.size());
}
