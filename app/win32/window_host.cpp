#include "app/win32/window_host.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "app/win32/main_frame.h"
#include "app/win32/message_box.h"
#include "app/win32/wide_text.h"

namespace csv2sql {

namespace {

class Win32Host final : public Host, private EventLoopPort, private UrlOpenerPort {
 public:
  Win32Host() {
    // Places in twips follow each monitor's own DPI, not a bitmap stretched by the system.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    // Started from Explorer the program has a console of its own that no one reads: it goes.
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
  }

  void installPorts(Session& session, FrmMain& form) override {
    frame_ = std::make_unique<MainFrame>(form);
    messageBox_ = std::make_unique<Win32MessageBox>(frame_->handle());
    session.messageBox = messageBox_.get();
    session.eventLoop = this;
    session.urlOpener = this;
    session.hasWindow = true;
  }

  void attach(Program& program) override { frame_->attach(program); }

  int run(bool showWindow) override {
    if (showWindow) {
      ShowWindow(frame_->handle(), SW_SHOWDEFAULT);
      UpdateWindow(frame_->handle());
    }
    // Ends when the window is destroyed.
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
    return static_cast<int>(message.wParam);
  }

 private:
  // Tab follows the form's tab order; the dialog keys (arrows in a group, Enter, Escape) are
  // the system's.
  void dispatch(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        frame_->tab(message.hwnd, GetKeyState(VK_SHIFT) < 0)) {
      return;
    }
    if (IsWindow(frame_->handle()) && IsDialogMessageW(frame_->handle(), &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  void yield() override {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The window closed during a run: the loop of run() ends once the run is over.
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      dispatch(message);
    }
  }

  void open(const std::string& url) override {
    ShellExecuteW(frame_->handle(), L"open", widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  std::unique_ptr<MainFrame> frame_;
  std::unique_ptr<Win32MessageBox> messageBox_;
};

}  // namespace

std::unique_ptr<Host> makeWin32Host() {
  return std::make_unique<Win32Host>();
}

}  // namespace csv2sql
