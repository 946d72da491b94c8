#include "app/win32/main_frame.h"

#include "app/view/window_layout.h"
#include "app/win32/wide_text.h"

namespace csv2sql {

namespace {

constexpr UINT_PTR kTimerId = 1;

// The layout was made for a small sans-serif of 8 points: the dialog font (Tahoma, or its
// substitute).
HFONT windowFont(double dpi) {
  return CreateFontW(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg 2");
}

const wchar_t* registeredClass() {
  static const bool done = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = MainFrame::kWindowClass;
    return RegisterClassExW(&type) != 0;
  }();
  (void)done;
  return MainFrame::kWindowClass;
}

}  // namespace

MainFrame::MainFrame(FrmMain& form) : form_(form), self_(std::make_shared<MainFrame*>(this)) {
  // No WS_CLIPCHILDREN: the window paints the inside of the frames, which group boxes leave.
  constexpr DWORD style = WS_OVERLAPPEDWINDOW;
  handle_ = CreateWindowExW(WS_EX_CONTROLPARENT, registeredClass(), L"", style, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowTextW(handle_, widen(FrmMain::kCaption).c_str());
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  scale_ = TwipScale(GetDpiForWindow(handle_));
  useFont();
  // The client area is the form's, in twips at this monitor's DPI.
  RECT outer{0, 0, scale_.pixels(FrmMain::kClientWidth), scale_.pixels(FrmMain::kClientHeight)};
  AdjustWindowRectExForDpi(&outer, style, FALSE, WS_EX_CONTROLPARENT,
                           static_cast<UINT>(scale_.dpi()));
  SetWindowPos(handle_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  makeViews();
  orderViews();
}

MainFrame::~MainFrame() {
  self_.reset();
  views_.clear();
  if (IsWindow(handle_)) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  DeleteObject(font_);
}

void MainFrame::makeViews() {
  for (Control* control : form_.controls()) {
    auto view = makeNativeView(*control, form_, scale_, handle_);
    NativeView* shown = view.get();
    view->watch(control->changed(), [shown] { shown->refresh(); });
    // A frame's place, visibility and state reach the controls it holds.
    for (Control* frame : containersOf(form_, *control)) {
      view->watch(frame->changed(), [shown] { shown->refresh(); });
    }
    views_.push_back(std::move(view));
  }
}

// A control made later lies above one made before it, where they overlap; the frames go beneath
// everything, where they do not hide what they hold. (Tab follows the tab order, not this.)
void MainFrame::orderViews() {
  for (const auto& view : views_) {
    SetWindowPos(view->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (const auto& view : views_) {
    if (dynamic_cast<const Frame*>(&view->control()) != nullptr) {
      SetWindowPos(view->handle(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void MainFrame::useFont() {
  const HFONT previous = font_;
  font_ = windowFont(scale_.dpi());
  for (const auto& view : views_) {
    SendMessageW(view->handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (previous != nullptr) DeleteObject(previous);
}

HWND MainFrame::find(const std::string& name) const {
  for (const auto& view : views_) {
    if (view->control().name() == name) return view->handle();
  }
  return nullptr;
}

bool MainFrame::tab(HWND from, bool backwards) {
  if (from != handle_ && IsChild(handle_, from) == FALSE) return false;
  std::vector<HWND> inputs;
  std::size_t at = 0;
  for (const Control* control : inTabOrder(form_.controls())) {
    if (!takesInput(*control) || !shownInWindow(form_, *control) ||
        !enabledInWindow(form_, *control)) {
      continue;
    }
    const HWND input = find(control->name());
    if (input == from || IsChild(input, from) != FALSE) at = inputs.size();
    inputs.push_back(input);
  }
  if (inputs.empty()) return false;
  const std::size_t next = (at + (backwards ? inputs.size() - 1 : 1)) % inputs.size();
  const HWND cell = FindWindowExW(inputs[next], nullptr, L"Edit", nullptr);
  SetFocus(cell != nullptr ? cell : inputs[next]);
  return true;
}

void MainFrame::attach(Program& program) {
  program_ = &program;
  form_.Timer1.changed().connect([self = std::weak_ptr<MainFrame*>(self_)] {
    if (const auto frame = self.lock()) (*frame)->followTimer();
  });
  followTimer();
  resized();
}

void MainFrame::followTimer() {
  const std::int32_t interval = form_.Timer1.interval();
  // A timer without an interval never ticks; one that runs keeps its count unless the interval
  // changes.
  if (!form_.Timer1.enabled() || interval <= 0) {
    KillTimer(handle_, kTimerId);
    timerInterval_ = 0;
  } else if (timerInterval_ != static_cast<UINT>(interval)) {
    SetTimer(handle_, kTimerId, static_cast<UINT>(interval), nullptr);
    timerInterval_ = static_cast<UINT>(interval);
  }
}

void MainFrame::resized() {
  if (program_ == nullptr) return;
  RECT outer{}, client{};
  GetWindowRect(handle_, &outer);
  GetClientRect(handle_, &client);
  program_->Form_Resize(windowMetrics(scale_, outer.right - outer.left, outer.bottom - outer.top,
                                      client.right, client.bottom));
}

void MainFrame::close() {
  // The window always closes: nothing is asked or saved. A run still working would go on out of
  // sight after the window closed: it stops after the file it is on, with that file's rows
  // committed or rolled back.
  if (program_ != nullptr && program_->importRun().inProgress()) {
    program_->importRun().requestStop();
  }
  DestroyWindow(handle_);
}

LRESULT CALLBACK MainFrame::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (frame == nullptr) return DefWindowProcW(window, message, w, l);
  return frame->onMessage(message, w, l);
}

LRESULT MainFrame::onMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (NativeView* view = NativeView::of(reinterpret_cast<HWND>(l))) view->command(HIWORD(w));
      return 0;
    case WM_TIMER:
      if (w == kTimerId) form_.Timer1.tick();
      return 0;
    case WM_SIZE:
      resized();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DPICHANGED: {
      scale_ = TwipScale(HIWORD(w));
      useFont();
      for (const auto& view : views_) view->rescale(scale_);
      const auto* suggested = reinterpret_cast<const RECT*>(l);
      SetWindowPos(handle_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      close();
      return 0;
    case WM_DESTROY:
      KillTimer(handle_, kTimerId);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(handle_, message, w, l);
  }
}

}  // namespace csv2sql
