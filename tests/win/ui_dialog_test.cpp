// The dialog base: a modal run through IsDialogMessage (Enter = the default
// button, Esc = Cancel, Tab between controls), fields in and out, placement
// beside the owner, the owner disabled meanwhile and its focus given back.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/wide_win.h"
#include "tests/win/ui_support.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dpi.h"

namespace uitest {
namespace {

class NameDialog final : public ui::Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"VtTestNameDialog";
  static constexpr int kEditId = 10;

  // In and out.
  std::string Name;
  // Run from inside the modal loop: once the dialog is up, and when a
  // WM_APP + 1 posted after some keys comes through (the keys are then done).
  std::function<void(NameDialog&)> WhileShown;
  std::function<void(NameDialog&)> AfterKeys;

  explicit NameDialog(HWND owner) {
    Frame frame{kClassName, "Name", 200, 80};
    CreateFrame(owner, frame);
  }
  HWND Edit() const { return edit_.hwnd(); }
  HWND OkButton() const { return ok_.hwnd(); }
  HWND CancelButton() const { return cancel_.hwnd(); }

 private:
  class EditBox : public ui::Control {
   public:
    void Create(HWND parent, int id) {
      CreateChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, id);
    }
  };
  void OnCreateControls() override {
    edit_.Create(hwnd(), kEditId);
    edit_.Move(8, 8, 184, 22);
    ok_.Create(hwnd(), IDOK, "OK");
    ok_.Move(36, 44, 75, 25);
    cancel_.Create(hwnd(), IDCANCEL, "Cancel");
    cancel_.Move(117, 44, 75, 25);
  }
  bool OnOk() override {
    Name = edit_.Text();
    return true;
  }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_SHOWWINDOW && wparam != FALSE) {
      edit_.SetText(Name);
      PostMessageW(hwnd(), WM_APP, 0, 0);
    }
    if (message == WM_APP && WhileShown) {
      WhileShown(*this);
      return 0;
    }
    if (message == WM_APP + 1 && AfterKeys) {
      AfterKeys(*this);
      return 0;
    }
    return Dialog::HandleMessage(message, wparam, lparam);
  }
  EditBox edit_;
  ui::Button ok_;
  ui::Button cancel_;
};

struct Owner {
  Owner() {
    window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 120, 300, 200, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    child = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20,
                            window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    SetFocus(child);
    Settle();
  }
  ~Owner() { DestroyWindow(window); }
  HWND window = nullptr;
  HWND child = nullptr;
};

// Enter takes the typed field and ends with OK; Esc ends with Cancel and
// leaves the field as it was. Meanwhile the owner is disabled; afterwards the
// dialog is gone, the owner enabled and its control focused again.
TEST(Dialog, EnterTakesTheFieldsEscLeavesThemAndTheOwnerGetsItsFocusBack) {
  const struct Case {
    const char* reason;
    WORD key;
    int result;
    const char* name_after;
  } cases[] = {
      {"Enter: the default button", VK_RETURN, IDOK, "after"},
      {"Esc: Cancel", VK_ESCAPE, IDCANCEL, "before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    Owner owner;
    NameDialog dialog(owner.window);
    dialog.Name = "before";
    bool owner_was_disabled = false;
    RECT frame{};
    std::string shown;
    dialog.WhileShown = [&](NameDialog& self) {
      owner_was_disabled = IsWindowEnabled(owner.window) == FALSE;
      GetWindowRect(self.hwnd(), &frame);
      wchar_t text[64] = {};
      GetWindowTextW(self.Edit(), text, 64);
      shown = platform::Narrow(text);
      SetWindowTextW(self.Edit(), L"after");
      PressKey(GetFocus(), c.key);
    };
    EXPECT_EQ(dialog.ShowModal(), c.result);
    EXPECT_TRUE(owner_was_disabled);
    EXPECT_EQ(shown, "before");
    EXPECT_EQ(dialog.Name, c.name_after);
    // Beside the owner: down and right of its corner by the same step.
    RECT owner_frame{};
    GetWindowRect(owner.window, &owner_frame);
    EXPECT_GT(frame.left, owner_frame.left);
    EXPECT_EQ(frame.left - owner_frame.left, frame.top - owner_frame.top);
    EXPECT_EQ(dialog.hwnd(), nullptr);  // destroyed when it returns
    EXPECT_TRUE(IsWindowEnabled(owner.window));
    EXPECT_EQ(GetFocus(), owner.child);
  }
}

TEST(Dialog, TabMovesToTheNextControlAndTheFocusedButtonAnswersEnter) {
  Owner owner;
  NameDialog dialog(owner.window);
  HWND focused_after_tab = nullptr;
  dialog.WhileShown = [&](NameDialog& self) {
    PressKey(GetFocus(), VK_TAB);  // edit -> OK
    PostMessageW(self.hwnd(), WM_APP + 1, 0, 0);
  };
  int tabs = 0;
  dialog.AfterKeys = [&](NameDialog& self) {
    if (++tabs == 1) {
      PressKey(GetFocus(), VK_TAB);  // OK -> Cancel
      PostMessageW(self.hwnd(), WM_APP + 1, 0, 0);
      return;
    }
    focused_after_tab = GetFocus();
    if (focused_after_tab != self.CancelButton()) PostMessageW(self.hwnd(), WM_CLOSE, 0, 0);
    PressKey(GetFocus(), VK_RETURN);
  };
  EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
  EXPECT_EQ(focused_after_tab, dialog.CancelButton());
}

// Before a move to a monitor of another scale, Windows asks a dialog for its
// size there (WM_GETDPISCALEDSIZE): the answer is its layout at that DPI, the
// design client area in the font measured at that DPI with the frame at that
// DPI, which WM_DPICHANGED then lays the dialog out in.
TEST(Dialog, AnswersItsSizeAtAnotherScaleFromItsOwnLayout) {
  NameDialog dialog(nullptr);
  const int dpi = ui::DpiOf(dialog.hwnd());
  const int width_before = dialog.X(200);
  for (const int new_dpi : {2 * dpi, dpi}) {
    SIZE size{};
    ASSERT_TRUE(SendMessageW(dialog.hwnd(), ui::kGetDpiScaledSize, static_cast<WPARAM>(new_dpi),
                             reinterpret_cast<LPARAM>(&size)))
        << new_dpi;
    RECT suggested{};
    GetWindowRect(dialog.hwnd(), &suggested);
    suggested.right = suggested.left + size.cx;
    suggested.bottom = suggested.top + size.cy;
    SendMessageW(dialog.hwnd(), WM_DPICHANGED, MAKEWPARAM(new_dpi, new_dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT layout{0, 0, dialog.X(200), dialog.Y(80)};
    ui::AdjustWindowRectForDpi(
        layout, static_cast<DWORD>(GetWindowLongPtrW(dialog.hwnd(), GWL_STYLE)), false,
        static_cast<DWORD>(GetWindowLongPtrW(dialog.hwnd(), GWL_EXSTYLE)), new_dpi);
    EXPECT_EQ(size.cx, layout.right - layout.left) << new_dpi;
    EXPECT_EQ(size.cy, layout.bottom - layout.top) << new_dpi;
    EXPECT_NEAR(dialog.X(200), MulDiv(width_before, new_dpi, dpi), 200 * new_dpi / dpi / 8)
        << "the layout follows the DPI";
  }
}

}  // namespace
}  // namespace uitest
