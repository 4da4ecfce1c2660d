#include "ui/dialogs/search_all_form.h"

#include "search/fold.h"
#include "ui/ja_texts.h"

namespace ui {

TSearchAllForm::TSearchAllForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kSearchAllCaption, 332, 76});
}

void TSearchAllForm::OnCreateControls() {
  QueryLabel.Create(hwnd(), 10, ja::kSearchAllLabel);
  Place(QueryLabel, 8, 8, 316, 14);
  QueryEdit.Create(hwnd(), 11);
  Place(QueryEdit, 8, 24, 316, 21);
  OKButton.Create(hwnd(), IDOK, "OK");
  Place(OKButton, 160, 52, 75, 21);
  CancelButton.Create(hwnd(), IDCANCEL, ja::kCancel);
  Place(CancelButton, 248, 52, 75, 21);
  ApplyDialogFont();
}

int TSearchAllForm::Run() {
  QueryEdit.SetUtf8Text(Query);
  SendMessageW(QueryEdit.hwnd(), EM_SETSEL, 0, -1);
  return ShowModal();
}

bool TSearchAllForm::OnOk() {
  const std::string text = QueryEdit.Utf8Text();
  if (search::QueryWords(text).empty()) {
    MessageBeep(MB_OK);
    QueryEdit.Focus();
    return false;
  }
  Query = text;
  return true;
}

}  // namespace ui
