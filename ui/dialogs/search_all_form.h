#pragma once
// TSearchAllForm: the box of "すべてのフォルダを検索": the text to look for in
// every folder of the mailbox, with the quick filter's matching and the text
// of the mail included. OK with nothing to look for (an empty box, or blanks
// only) beeps and keeps the box open. Down in the box drops the queries run
// last (shared with the quick filter's box) to choose from; F1 shows how a
// query is written.

#include <windows.h>

#include <string>

#include "settings/query_history.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/dialog_controls.h"
#include "ui/drop_list.h"

namespace ui {

class TSearchAllForm final : public Dialog {
 public:
  static constexpr wchar_t kClassName[] = L"TSearchAllForm";

  explicit TSearchAllForm(HWND owner);

  // In: the text searched last (shown selected); out: the text to search
  // (UTF-8, every character as typed), set on OK.
  std::string Query;
  // The queries run, offered by Down; the query searched is added on OK.
  // Null: none.
  settings::QueryHistory* History = nullptr;

  // Shows the dialog modally; returns IDOK or IDCANCEL.
  int Run();

  Label QueryLabel;
  EditBox QueryEdit;
  Button OKButton;
  Button CancelButton;
  DropList QueryDrop;

 private:
  void OnCreateControls() override;
  bool OnOk() override;
  bool QueryEditMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool swallow_character_ = false;  // the Enter or Esc the list took
};

}  // namespace ui
