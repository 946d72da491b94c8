// The native window under Wine (or Windows): made by the host over the window's model, found the
// way another program finds it (by its title and its controls' names). What the program does is
// tested in app/tests; here the view only shows it is wired to the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "app/program.h"
#include "app/view/window_layout.h"
#include "app/win32/main_frame.h"
#include "app/win32/message_box.h"
#include "app/win32/native_view.h"
#include "app/win32/wide_text.h"
#include "app/win32/window_host.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

std::string textOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return narrow(text);
}

// Lets the window handle what is waiting for it, ticks included, for about `ms` milliseconds.
void pump(int ms = 0) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
}

// The host's window over the form, the program attached and loaded as the host does it.
class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest() {
    test.writeConfig();  // the host's boxes would wait for an operator: no entries, no boxes
    host->installPorts(test.session, form);
    program.emplace(test.session, form);
    host->attach(*program);
    program->Form_Load("");
    window = FindWindowW(MainFrame::kWindowClass, widen(FrmMain::kCaption).c_str());
    ShowWindow(window, SW_SHOWNA);
    pump();
    scale = TwipScale(GetDpiForWindow(window));
  }
  ~Win32WindowTest() override { DestroyWindow(window); }

  HWND child(const std::string& name) const {
    const HWND found = findControl(window, name);
    return found != nullptr ? found : throw std::runtime_error("no window " + name);
  }
  RECT placeOf(HWND control) const {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
  }
  // The window whose name the focus is in: a grid's cell counts as its grid.
  std::string focusName() const {
    for (HWND at = GetFocus(); at != nullptr && at != window; at = GetParent(at)) {
      if (!controlName(at).empty()) return controlName(at);
    }
    return "";
  }

  TestSession test;
  FrmMain form;
  std::unique_ptr<Host> host = makeWin32Host();
  std::optional<Program> program;
  HWND window = nullptr;
  TwipScale scale{96};
};

TEST_F(Win32WindowTest, EveryControlHasANamedWindowWithItsCaptionInItsPlaceAndTabVisitsEach) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(textOf(window), FrmMain::kCaption);
  std::vector<std::string> expected;
  for (Control* control : inTabOrder(form.controls())) {
    const HWND shown = child(control->name());
    const PixelRect place = scale.pixels(placeInWindow(form, *control));
    const RECT at = placeOf(shown);
    EXPECT_EQ(at.left, place.left) << control->name();
    EXPECT_EQ(at.top, place.top) << control->name();
    EXPECT_EQ(at.right - at.left, place.width) << control->name();
    // A combo box's window holds its list; the log list's height follows the window.
    if (dynamic_cast<ComboBox*>(control) == nullptr && control != &form.lstLog) {
      EXPECT_EQ(at.bottom - at.top, place.height) << control->name();
    }
    EXPECT_EQ(IsWindowVisible(shown) != FALSE, shownInWindow(form, *control)) << control->name();
    if (const auto* label = dynamic_cast<Label*>(control)) {
      EXPECT_EQ(textOf(shown), label->caption()) << control->name();
    }
    if (takesInput(*control) && shownInWindow(form, *control) && enabledInWindow(form, *control)) {
      expected.push_back(control->name());
    }
  }
  EXPECT_TRUE(GetWindowLongW(child("txtPassword"), GWL_STYLE) & ES_PASSWORD);
  // Tab, through the host's message loop, visits every input by tab index, over labels and
  // frames, and comes round again; a grid's cells count as their grid.
  SetFocus(child(expected.front()));
  std::vector<std::string> visited{focusName()};
  while (visited.size() <= expected.size()) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    test.session.eventLoop->yield();
    if (focusName() == expected.front()) break;
    visited.push_back(focusName());
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(Win32WindowTest, ControlChangesShowInTheirWindowsAndEditsReachTheControls) {
  form.lblNextRun.setCaption("Next Run: later");
  form.txtArchiveFolder.setText(std::string(40000, 'x'));
  form.lstLog.addItem("second");
  form.chkArchive.setValue(2);
  EXPECT_EQ(textOf(child("lblNextRun")), "Next Run: later");
  EXPECT_EQ(GetWindowTextLengthW(child("txtArchiveFolder")), 40000);
  const auto lines = SendMessageW(child("lstLog"), LB_GETCOUNT, 0, 0);
  EXPECT_EQ(lines, static_cast<LRESULT>(form.lstLog.items().size()));
  EXPECT_EQ(SendMessageW(child("chkArchive"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  // The operator's edits: typing, a click on a check box, a picked provider, a button.
  SetWindowTextW(child("txtSourceCSV"), L"in/");
  EXPECT_EQ(form.txtSourceCSV.text(), "in/");
  SendMessageW(child("chkArchive"), BM_CLICK, 0, 0);
  EXPECT_EQ(form.chkArchive.value(), 1);
  const HWND providers = child("cboOleProvider");
  SendMessageW(providers, CB_SETCURSEL, 1, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(providers));
  EXPECT_EQ(form.cboOleProvider.text(), form.cboOleProvider.items().at(1));
  int clicks = 0;
  form.btnSaveSettings.onClick = [&clicks] { ++clicks; };
  SendMessageW(child("btnSaveSettings"), BM_CLICK, 0, 0);
  form.btnSaveSettings.setEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(child("btnSaveSettings")));
  EXPECT_EQ(clicks, 1);
  // A locked frame locks what it holds; a hidden one hides it.
  form.Frame2.setEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(child("txtDataSource")));
  form.Frame2.setEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(child("txtDataSource")));
  form.Frame4.setVisible(false);
  EXPECT_FALSE(IsWindowVisible(child("txtColTag")));
}

// The edit fields of a grid's view, row by row.
std::vector<HWND> cellsOf(HWND grid) {
  std::vector<HWND> cells;
  EnumChildWindows(
      grid,
      [](HWND cell, LPARAM list) -> BOOL {
        wchar_t type[16] = {};
        GetClassNameW(cell, type, 16);
        if (std::wstring(type) == L"Edit")
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(cell);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&cells));
  return cells;
}

TEST_F(Win32WindowTest, TheUtcGridTakesEditsAndShowsItsCells) {
  const std::vector<HWND> cells = cellsOf(child("spUTC"));
  const auto columns = static_cast<std::size_t>(gridColumns(form.spUTC));
  ASSERT_GE(cells.size(), 2 * columns);
  SetWindowTextW(cells[0], L"2024-03-10 07:00:00");
  EXPECT_EQ(form.spUTC.cell(1, 1), "2024-03-10 07:00:00");
  form.spUTC.setCell(2, 3, "-5");
  EXPECT_EQ(textOf(cells[columns + 2]), "-5");
  // The hidden work grid catches up once it is shown.
  form.sp.setCell(1, 2, "TAG1");
  EXPECT_EQ(textOf(cellsOf(child("sp")).at(1)), "");
  form.sp.setVisible(true);
  EXPECT_EQ(textOf(cellsOf(child("sp")).at(1)), "TAG1");
}

TEST(Win32MessageBox, ACarriageReturnAloneOrBeforeALineFeedBreaksTheLine) {
  EXPECT_EQ(messageText("a\rb\r\nc\nd\xC3\xBC\r"), L"a\nb\nc\nd\u00FC\n");
}

TEST_F(Win32WindowTest, TheLogListFollowsTheWindowsSizeAndTimer1TicksOnAWin32Timer) {
  SetWindowPos(window, nullptr, 0, 0, scale.pixels(16000), scale.pixels(9000),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  pump();
  RECT client{};
  GetClientRect(window, &client);
  const RECT log = placeOf(child("lstLog"));
  EXPECT_NEAR(log.bottom, client.bottom, 1);
  EXPECT_NEAR(client.right - log.right, scale.pixels(120), 1);
  int ticks = 0;
  form.Timer1.onTick = [&ticks] { ++ticks; };
  form.Timer1.setInterval(20);
  form.Timer1.setEnabled(true);
  pump(300);
  form.Timer1.setEnabled(false);
  const int ticked = ticks;
  pump(100);
  EXPECT_GT(ticked, 0);
  EXPECT_EQ(ticks, ticked);
}

}  // namespace
}  // namespace csv2sql::testing
