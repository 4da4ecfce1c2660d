#include "ui/dialogs/search_all_form.h"

#include "thread/search_query.h"
#include "ui/ja_texts.h"
#include "ui/wide_text.h"

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
  const thread::ParsedQuery query = thread::ParseQuery(text, thread::LocalQueryClock());
  if (query.Empty()) {
    // A text that cannot be read says why; one of blanks only just beeps.
    if (!query.Ok()) {
      MessageBoxW(hwnd(), WideFromUtf8(query.error).c_str(), L"Veltrano", MB_OK | MB_ICONWARNING);
    } else {
      MessageBeep(MB_OK);
    }
    QueryEdit.Focus();
    return false;
  }
  Query = text;
  return true;
}

}  // namespace ui
