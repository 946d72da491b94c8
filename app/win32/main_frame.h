#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/frm_main.h"
#include "app/program.h"
#include "app/win32/native_view.h"

namespace csv2sql {

// The one window as a native top-level window: a native control for every control of the form,
// in its place at the monitor's DPI, in the form's tab order; Timer1 on a Win32 timer; its
// resizes and its closing go to the program once attached.
class MainFrame {
 public:
  static constexpr const wchar_t* kWindowClass = L"csv2sqlMain";

  explicit MainFrame(FrmMain& form);
  ~MainFrame();
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // From now on the window's resizes and its closing reach the program, and Timer1 runs.
  void attach(Program& program);

  HWND handle() const { return handle_; }
  // The native window that shows the control of that name, or null.
  HWND find(const std::string& name) const;

  // Tab (Shift+Tab: backwards) from a window inside this one: the focus goes to the next input
  // in the form's tab order that is shown and enabled (into a grid: its first cell). False for
  // a window outside, or when no input can take it.
  bool tab(HWND from, bool backwards);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT onMessage(UINT message, WPARAM w, LPARAM l);
  void makeViews();
  void orderViews();
  void useFont();
  void followTimer();
  void resized();
  void close();

  FrmMain& form_;
  HWND handle_ = nullptr;
  TwipScale scale_{96};
  HFONT font_ = nullptr;
  std::vector<std::unique_ptr<NativeView>> views_;
  Program* program_ = nullptr;
  UINT timerInterval_ = 0;  // 0: the timer is off
  // Set while the window lives, for the model's signals, which outlive it.
  std::shared_ptr<MainFrame*> self_;
};

}  // namespace csv2sql
