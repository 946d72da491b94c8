#include "app/win32/grid_view.h"

#include <algorithm>
#include <vector>

#include "app/view/window_layout.h"
#include "app/win32/wide_text.h"

namespace csv2sql {

namespace {

constexpr const wchar_t* kGridClass = L"csv2sqlGrid";
constexpr const wchar_t* kGridProperty = L"csv2sql.grid";
constexpr int kColumnTwips = 960;  // a numbered column's width
constexpr int kWheelLines = 3;

class GridView final : public NativeView {
 public:
  GridView(Grid& grid, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(grid, form, scale, parent, registered(), WS_VSCROLL | WS_TABSTOP,
                   WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT),
        grid_(grid),
        font_(reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0))) {
    SetPropW(handle(), kGridProperty, this);
    watch(grid.contentsChanged(), [this] { contentsChanged(); });
  }
  ~GridView() override { RemovePropW(handle(), kGridProperty); }

 private:
  static const wchar_t* registered() {
    static const bool done = [] {
      WNDCLASSEXW type{};
      type.cbSize = sizeof type;
      type.lpfnWndProc = procedure;
      type.hInstance = GetModuleHandleW(nullptr);
      type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      type.lpszClassName = kGridClass;
      return RegisterClassExW(&type) != 0;
    }();
    (void)done;
    return kGridClass;
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* view = static_cast<GridView*>(GetPropW(window, kGridProperty));
    if (view == nullptr) return DefWindowProcW(window, message, w, l);
    switch (message) {
      case WM_SIZE:
        view->layout();
        return 0;
      case WM_SETFONT:
        view->font_ = reinterpret_cast<HFONT>(w);
        view->layout(true);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(view->font_);
      case WM_VSCROLL:
        view->scroll(LOWORD(w));
        return 0;
      case WM_MOUSEWHEEL:
        view->scrollTo(view->top_ - GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA * kWheelLines);
        return 0;
      case WM_COMMAND:
        if (HIWORD(w) == EN_CHANGE) view->edited(reinterpret_cast<HWND>(l));
        return 0;
      default:
        return DefWindowProcW(window, message, w, l);
    }
  }

  int rowHeight() const {
    HDC context = GetDC(handle());
    const auto previous = SelectObject(context, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(handle(), context);
    return metrics.tmHeight + scale().pixels(90);
  }

  // Edit fields for the rows and columns in sight, made again when that number changes.
  void layout(bool remake = false) {
    RECT client{};
    GetClientRect(handle(), &client);
    const int height = rowHeight();
    const int columnWidth = scale().pixels(kColumnTwips);
    const int columns = grid_.columnHeaders().empty()
                            ? std::clamp(static_cast<int>(client.right) / std::max(columnWidth, 1),
                                         1, gridColumns(grid_))
                            : gridColumns(grid_);
    const int rows = std::max(1, (static_cast<int>(client.bottom) - height) / height + 1);
    if (remake || columns != columns_ || rows != rows_) make(rows, columns);
    const int width = grid_.columnHeaders().empty() ? columnWidth : client.right / columns;
    for (int c = 0; c < columns_; ++c) {
      MoveWindow(headers_[static_cast<std::size_t>(c)], c * width, 0, width, height, TRUE);
      for (int r = 0; r < rows_; ++r) {
        MoveWindow(cell(r, c), c * width, (r + 1) * height, width, height, TRUE);
      }
    }
    scrollTo(top_);
  }

  void make(int rows, int columns) {
    for (HWND window : headers_) DestroyWindow(window);
    for (HWND window : cells_) DestroyWindow(window);
    headers_.clear();
    cells_.clear();
    rows_ = rows;
    columns_ = columns;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int c = 0; c < columns; ++c) {
      headers_.push_back(
          CreateWindowExW(0, L"STATIC", widen(columnCaption(grid_, c + 1)).c_str(),
                          WS_CHILD | WS_VISIBLE | SS_CENTER | SS_SUNKEN | SS_NOPREFIX, 0, 0, 0, 0,
                          handle(), nullptr, instance, nullptr));
    }
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        cells_.push_back(CreateWindowExW(
            0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
            0, 0, handle(), nullptr, instance, nullptr));
      }
    }
    for (HWND window : headers_)
      SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
    for (HWND window : cells_) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
  }

  HWND cell(int row, int column) const {
    return cells_[static_cast<std::size_t>(row * columns_ + column)];
  }

  void scroll(int request) {
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(handle(), SB_VERT, &info);
    switch (request) {
      case SB_LINEUP:
        return scrollTo(top_ - 1);
      case SB_LINEDOWN:
        return scrollTo(top_ + 1);
      case SB_PAGEUP:
        return scrollTo(top_ - rows_);
      case SB_PAGEDOWN:
        return scrollTo(top_ + rows_);
      case SB_TOP:
        return scrollTo(0);
      case SB_BOTTOM:
        return scrollTo(gridRows(grid_));
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        return scrollTo(info.nTrackPos);
      default:
        return;
    }
  }

  void scrollTo(int top) {
    const int rows = gridRows(grid_);
    top_ = std::clamp(top, 0, std::max(0, rows - rows_));
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    rows - 1,
                    static_cast<UINT>(rows_),
                    top_,
                    0};
    SetScrollInfo(handle(), SB_VERT, &info, TRUE);
    fill();
  }

  void fill() {
    if (!grid_.visible()) {
      stale_ = true;
      return;
    }
    stale_ = false;
    filling_ = true;
    for (int r = 0; r < rows_; ++r) {
      for (int c = 0; c < columns_; ++c) {
        const std::wstring text = widen(grid_.cell(top_ + r + 1, c + 1));
        std::wstring now(static_cast<std::size_t>(GetWindowTextLengthW(cell(r, c))) + 1, L'\0');
        now.resize(static_cast<std::size_t>(
            GetWindowTextW(cell(r, c), now.data(), static_cast<int>(now.size()))));
        if (now != text) SetWindowTextW(cell(r, c), text.c_str());
      }
    }
    filling_ = false;
  }

  void edited(HWND edit) {
    if (filling_) return;
    const auto at = std::find(cells_.begin(), cells_.end(), edit);
    if (at == cells_.end()) return;
    const auto index = static_cast<int>(at - cells_.begin());
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    writing_ = true;
    grid_.setCell(top_ + index / columns_ + 1, index % columns_ + 1, narrow(text));
    writing_ = false;
  }

  void contentsChanged() {
    if (writing_) return;
    if (grid_.visible()) {
      scrollTo(top_);
    } else {
      stale_ = true;
    }
  }

  // Shown again: what changed while hidden shows now.
  void showKind() override {
    if (stale_ && grid_.visible()) scrollTo(top_);
  }

  Grid& grid_;
  HFONT font_;
  std::vector<HWND> headers_;
  std::vector<HWND> cells_;
  int rows_ = 0;
  int columns_ = 0;
  int top_ = 0;  // the first row in sight, from 0
  bool stale_ = false;
  bool filling_ = false;
  bool writing_ = false;
};

}  // namespace

std::unique_ptr<NativeView> makeGridView(Grid& grid, const FrmMain& form, TwipScale scale,
                                         HWND parent) {
  return std::make_unique<GridView>(grid, form, scale, parent);
}

}  // namespace csv2sql
