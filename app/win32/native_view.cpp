#include "app/win32/native_view.h"

#include "app/view/window_layout.h"
#include "app/win32/grid_view.h"
#include "app/win32/wide_text.h"

namespace csv2sql {

NativeView::NativeView(Control& control, const FrmMain& form, TwipScale scale, HWND parent,
                       const wchar_t* windowClass, DWORD style, DWORD extendedStyle)
    : ControlView(control, scale),
      form_(form),
      handle_(CreateWindowExW(extendedStyle, windowClass, L"", style | WS_CHILD | WS_CLIPSIBLINGS,
                              0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr)),
      name_(GlobalAddAtomW(widen(control.name()).c_str())) {
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetPropW(handle_, kControlNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(name_)));
  SendMessageW(handle_, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
}

NativeView::~NativeView() {
  RemovePropW(handle_, kControlNameProperty);
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  GlobalDeleteAtom(name_);
}

NativeView* NativeView::of(HWND handle) {
  // Only the window's own views carry the name property; other windows' user data is theirs.
  if (GetPropW(handle, kControlNameProperty) == nullptr) return nullptr;
  return reinterpret_cast<NativeView*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

Geometry NativeView::placeInParent() const {
  return placeInWindow(form_, control());
}

bool NativeView::shownInParent() const {
  return shownInWindow(form_, control());
}

bool NativeView::enabledInParent() const {
  return enabledInWindow(form_, control());
}

void NativeView::place(const PixelRect& rect) {
  RECT now{};
  GetWindowRect(handle_, &now);
  MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == rect.left && now.top == rect.top && now.right - now.left == rect.width &&
      now.bottom - now.top == rect.height) {
    return;
  }
  SetWindowPos(handle_, nullptr, rect.left, rect.top, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeView::show(bool visible) {
  if ((IsWindowVisible(handle_) != FALSE) != visible) {
    ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
  }
}

void NativeView::enable(bool enabled) {
  EnableWindow(handle_, enabled ? TRUE : FALSE);
}

std::string NativeView::text() const {
  std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      GetWindowTextW(handle_, wide.data(), static_cast<int>(wide.size()))));
  return narrow(wide);
}

void NativeView::setText(const std::string& text) {
  if (this->text() != text) SetWindowTextW(handle_, widen(text).c_str());
}

namespace {

// A caption's "&" is a character, never a mnemonic; a caption longer than its place is cut,
// not wrapped.
constexpr DWORD kCaptionStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

class LabelView final : public NativeView {
 public:
  LabelView(Label& label, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(label, form, scale, parent, L"STATIC", kCaptionStyle), label_(label) {}

 private:
  void showKind() override { setText(label_.caption()); }
  Label& label_;
};

class FrameView final : public NativeView {
 public:
  FrameView(Frame& frame, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(frame, form, scale, parent, L"BUTTON", BS_GROUPBOX), frame_(frame) {}

 private:
  void showKind() override { setText(frame_.caption()); }
  Frame& frame_;
};

class ButtonView final : public NativeView {
 public:
  ButtonView(Button& button, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(button, form, scale, parent, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP),
        button_(button) {}

 private:
  void showKind() override { setText(button_.caption()); }
  void command(int code) override {
    if (code == BN_CLICKED) fromView([this] { button_.click(); });
  }
  Button& button_;
};

class CheckBoxView final : public NativeView {
 public:
  CheckBoxView(CheckBox& box, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(box, form, scale, parent, L"BUTTON", BS_3STATE | WS_TABSTOP), box_(box) {}

 private:
  void showKind() override {
    setText(box_.caption());
    const WPARAM state = box_.value() == 1   ? BST_CHECKED
                         : box_.value() == 2 ? BST_INDETERMINATE
                                             : BST_UNCHECKED;
    SendMessageW(handle(), BM_SETCHECK, state, 0);
  }
  // Grayed only when the control says so: the operator's clicks check and uncheck.
  void command(int code) override {
    if (code == BN_CLICKED) fromView([this] { box_.setValue(box_.value() == 1 ? 0 : 1); });
  }
  CheckBox& box_;
};

class TextBoxView final : public NativeView {
 public:
  TextBoxView(TextBox& box, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(box, form, scale, parent, L"EDIT",
                   ES_AUTOHSCROLL | WS_TABSTOP | (box.passwordChar() != '\0' ? ES_PASSWORD : 0),
                   WS_EX_CLIENTEDGE),
        box_(box) {
    // A text box holds whatever its control holds: the default limit would cut long texts.
    SendMessageW(handle(), EM_SETLIMITTEXT, 0, 0);
    if (box.passwordChar() != '\0') {
      SendMessageW(handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(box.passwordChar()), 0);
    }
  }

 private:
  void showKind() override {
    if (text() == box_.text()) return;
    setText(box_.text());
    // A new text shows from its start, wherever the field was scrolled before.
    SendMessageW(handle(), EM_SETSEL, 0, 0);
  }
  void command(int code) override {
    if (code == EN_CHANGE) fromView([this] { box_.setText(text()); });
  }
  TextBox& box_;
};

// The drop-down list takes this many lines below the edit field.
constexpr int kDropDownLines = 8;

class ComboBoxView final : public NativeView {
 public:
  ComboBoxView(ComboBox& box, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(box, form, scale, parent, L"COMBOBOX",
                   CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP),
        box_(box) {
    SendMessageW(handle(), CB_LIMITTEXT, 0, 0);
  }

 private:
  // A combo box's window holds its list too: the height is the edit field's and the list's.
  void place(const PixelRect& rect) override {
    NativeView::place({rect.left, rect.top, rect.width, rect.height * (kDropDownLines + 1)});
  }
  void showKind() override {
    const auto& items = box_.items();
    for (auto i = static_cast<std::size_t>(SendMessageW(handle(), CB_GETCOUNT, 0, 0));
         i < items.size(); ++i) {
      SendMessageW(handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(items[i]).c_str()));
    }
    setText(box_.text());
  }
  void command(int code) override {
    if (code == CBN_EDITCHANGE) fromView([this] { box_.setText(text()); });
    if (code == CBN_SELCHANGE) {
      // The edit field shows the picked item only after this notification.
      const auto index = SendMessageW(handle(), CB_GETCURSEL, 0, 0);
      if (index == CB_ERR) return;
      const auto& items = box_.items();
      if (static_cast<std::size_t>(index) < items.size()) {
        fromView([this, &items, index] { box_.setText(items[static_cast<std::size_t>(index)]); });
      }
    }
  }
  ComboBox& box_;
};

class ListBoxView final : public NativeView {
 public:
  ListBoxView(ListBox& box, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(box, form, scale, parent, L"LISTBOX",
                   LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                   WS_EX_CLIENTEDGE),
        box_(box) {
    watch(box.itemAdded(), [this] { showKind(); });
  }

  // Lists only ever grow at their end, so the view appends what it lacks and follows the newest
  // line.
  void showKind() override {
    const auto& items = box_.items();
    auto count = static_cast<std::size_t>(SendMessageW(handle(), LB_GETCOUNT, 0, 0));
    if (count == items.size()) return;
    for (; count < items.size(); ++count) {
      SendMessageW(handle(), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(widen(items[count]).c_str()));
    }
    SendMessageW(handle(), LB_SETTOPINDEX, count - 1, 0);
  }

 private:
  ListBox& box_;
};

class EmptyView final : public NativeView {
 public:
  EmptyView(Control& control, const FrmMain& form, TwipScale scale, HWND parent)
      : NativeView(control, form, scale, parent, L"STATIC", 0) {}
};

}  // namespace

std::unique_ptr<NativeView> makeNativeView(Control& control, const FrmMain& form, TwipScale scale,
                                           HWND parent) {
  auto view = visitKind(control, [&](auto& kind) -> std::unique_ptr<NativeView> {
    using Kind = std::remove_reference_t<decltype(kind)>;
    if constexpr (std::is_same_v<Kind, Label>) {
      return std::make_unique<LabelView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, Frame>) {
      return std::make_unique<FrameView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, Button>) {
      return std::make_unique<ButtonView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, CheckBox>) {
      return std::make_unique<CheckBoxView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, TextBox>) {
      return std::make_unique<TextBoxView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, ComboBox>) {
      return std::make_unique<ComboBoxView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, ListBox>) {
      return std::make_unique<ListBoxView>(kind, form, scale, parent);
    } else if constexpr (std::is_same_v<Kind, Grid>) {
      return makeGridView(kind, form, scale, parent);
    } else {
      return std::make_unique<EmptyView>(kind, form, scale, parent);
    }
  });
  view->refresh();
  return view;
}

std::string controlName(HWND window) {
  const auto atom =
      static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(window, kControlNameProperty)));
  wchar_t name[256] = {};
  return atom != 0 && GlobalGetAtomNameW(atom, name, 256) > 0 ? narrow(name) : "";
}

HWND findControl(HWND window, const std::string& name) {
  struct Search {
    std::string name;
    HWND found = nullptr;
  } search{name};
  EnumChildWindows(
      window,
      [](HWND candidate, LPARAM data) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(data);
        if (controlName(candidate) != wanted->name) return TRUE;
        wanted->found = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace csv2sql
