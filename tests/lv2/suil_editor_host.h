#pragma once
// A DAW's side of an LV2 X11 editor, met through suil: a top-level parent window of its own, a
// suil host that offers touch, the editor instantiated in that parent with ui:parent, urid:map and
// ui:idleInterface, and a record of the gestures and values the editor sends back.
//
// Threads: the test's thread is the host's GUI thread. It instantiates, sends port events and
// calls idle; suil calls Write and Touch on it from within those calls. The display is the test's
// connection, used on that thread only.
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <suil/suil.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/platform/x11_test_support.h"

// One call the editor made to the host, in the order made.
struct HostCall {
  enum class Kind { kTouch, kWrite };
  Kind kind = Kind::kWrite;
  uint32_t port = 0;
  bool grabbed = false;  // touch
  uint32_t size = 0, format = 0;
  float value = 0.0f;  // a write of one float
};

class SuilEditorHost {
public:
  static constexpr const char* kPluginURI = "https://quenmarrow.example/plugins/verlo";
  static constexpr const char* kUIURI = "https://quenmarrow.example/plugins/verlo#ui";

  // A parent window at (x, y) on display, shown, with the editor instantiated in it; Instance()
  // is null when suil or the UI refused.
  SuilEditorHost(Display* display, int x, int y, int w, int h);
  // Frees the instance, then the parent window, as a host closing the editor does.
  ~SuilEditorHost();
  SuilEditorHost(const SuilEditorHost&) = delete;
  SuilEditorHost& operator=(const SuilEditorHost&) = delete;

  SuilInstance* Instance() const { return mInstance; }
  Window Parent() const { return mParent; }
  // The editor's window, as the UI handed it to suil.
  Window Widget() const;
  // The windows inside the parent now.
  std::vector<Window> ParentChildren() const;

  // The editor's idle callback once: 0 while it is open.
  int Idle();
  // Calls idle every 10 ms, as a host's GUI timer would, until cond holds or ms pass; cond's
  // last answer.
  bool IdleUntil(const std::function<bool()>& cond, int ms = 2000);
  void IdleFor(int ms) {
    IdleUntil([] { return false; }, ms);
  }

  // A control port's value, as the host tells the editor about it (the float protocol).
  void SendPortValue(uint32_t port, float value);
  const std::vector<HostCall>& Calls() const { return mCalls; }

  // The parent's pixels, the editor's included, as the screen shows them.
  std::unique_ptr<PIX_MemBitmap> Capture() const;
  // The parent's top-left corner on the root window, for input at editor coordinates.
  WindowBox Box() const { return RootBox(mDisplay, mParent); }

  void FreeInstance();
  // What a host closing its window before the editor does.
  void DestroyParent();

private:
  static void OnWrite(SuilController controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  static uint32_t OnPortIndex(SuilController controller, const char* symbol);
  static uint32_t OnSubscribe(SuilController, uint32_t, uint32_t, const LV2_Feature* const*) { return 0; }
  static void OnTouch(SuilController controller, uint32_t port, bool grabbed);
  static LV2_URID OnMap(LV2_URID_Map_Handle handle, const char* uri);

  Display* mDisplay;
  Window mParent = 0;
  std::vector<std::string> mURIs;  // URID n is mURIs[n - 1]
  LV2_URID_Map mMap{};
  SuilHost* mHost = nullptr;
  SuilInstance* mInstance = nullptr;
  const LV2UI_Idle_Interface* mIdle = nullptr;
  std::vector<HostCall> mCalls;
};
