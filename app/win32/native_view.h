#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/frm_main.h"
#include "app/view/control_view.h"

namespace csv2sql {

// The window property that names a control's native window (a global atom of the control's
// name), so that a test or an accessibility tool in another process can find it by name.
inline constexpr const wchar_t* kControlNameProperty = L"csv2sql.name";

// The name a native window carries by that property; empty for one without.
std::string controlName(HWND window);
// The child window of `window`, at any depth, that carries that name; null when none does.
HWND findControl(HWND window, const std::string& name);

// A native control showing a model control, made as a child of the window. Frames are drawn
// beneath the controls they hold, which are children of the window too: a control's place adds
// its frames' places, and it is shown and enabled only while its frames are.
class NativeView : public ControlView {
 public:
  NativeView(Control& control, const FrmMain& form, TwipScale scale, HWND parent,
             const wchar_t* windowClass, DWORD style, DWORD extendedStyle = 0);
  ~NativeView() override;

  HWND handle() const { return handle_; }
  // A notification code (WM_COMMAND's high word) that the native control sent.
  virtual void command(int /*code*/) {}

  // The view that a native window of the window shows, or null.
  static NativeView* of(HWND handle);

  // Runs slot on each emit of the signal for as long as this view lives (the model's signals
  // outlive the window).
  template <typename... Args, typename Slot>
  void watch(Signal<Args...>& signal, Slot slot) {
    signal.connect([alive = std::weak_ptr<const int>(alive_), slot](Args...) {
      if (!alive.expired()) slot();
    });
  }

 protected:
  Geometry placeInParent() const override;
  bool shownInParent() const override;
  bool enabledInParent() const override;
  void place(const PixelRect& rect) override;
  void show(bool visible) override;
  void enable(bool enabled) override;

  // The native window's text (caption or edit text) as UTF-8, and set only when it differs,
  // so that an edit keeps the operator's cursor.
  std::string text() const;
  void setText(const std::string& text);

 private:
  std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
  const FrmMain& form_;
  HWND handle_;
  ATOM name_;
};

// The view of a control of the window's kind: a button, check box, frame, label, text box,
// combo box, list box or grid; a kind without a native control of its own yet gets an empty
// one, still in its place.
std::unique_ptr<NativeView> makeNativeView(Control& control, const FrmMain& form, TwipScale scale,
                                           HWND parent);

}  // namespace csv2sql
