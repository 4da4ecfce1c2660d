#pragma once
// TQuerySyntaxForm: how a query is written, for F1 in the quick filter box and
// in the box of "すべてのフォルダを検索": a read-only text in a small window
// owned by the box's window, closed by OK, Esc or Enter.

#include <windows.h>

#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"

namespace ui {

class TQuerySyntaxForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TQuerySyntaxForm";

  explicit TQuerySyntaxForm(HWND owner);

  TextView SyntaxText;
  Button OKButton;

 private:
  void OnCreateControls() override;
  bool TextMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
};

// Shows the window modally over `owner`'s window.
void ShowQuerySyntax(HWND owner);

}  // namespace ui
