#include "ui/dialogs/search_all_form.h"

#include "thread/search_query.h"
#include "ui/dialogs/query_syntax_form.h"
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
  SubclassControl<TSearchAllForm, &TSearchAllForm::QueryEditMessage>(QueryEdit.hwnd(), this);
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
  if (History != nullptr) History->Add(text);
  return true;
}

// While the list is down, the box asks for Enter and Esc itself (the dialog
// would press OK or Cancel with them), and for their characters after.
bool TSearchAllForm::QueryEditMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_GETDLGCODE:
      if (!QueryDrop.IsOpen() && !swallow_character_) return false;
      result = DLGC_WANTALLKEYS | DLGC_HASSETSEL;
      return true;
    case WM_KILLFOCUS:
      QueryDrop.Close();
      return false;
    case WM_CHAR:
      if (!swallow_character_ || !DropList::TakesCharacter(wparam)) return false;
      swallow_character_ = false;
      return true;
    case WM_KEYDOWN:
      break;
    default:
      return false;
  }
  if (QueryDrop.KeyDown(wparam)) {
    swallow_character_ = DropList::TakesCharacter(wparam);
    return true;
  }
  if (wparam == VK_F1) {
    ShowQuerySyntax(hwnd());
    return true;
  }
  if (wparam != VK_DOWN || History == nullptr) return false;
  std::vector<std::wstring> items;
  for (const std::string& query : History->Items()) items.push_back(WideFromUtf8(query));
  QueryDrop.Open(QueryEdit.hwnd(), items, [this](int index) {
    QueryEdit.SetUtf8Text(History->Items()[static_cast<std::size_t>(index)]);
    SendMessageW(QueryEdit.hwnd(), EM_SETSEL, 0, -1);
  });
  return true;
}

}  // namespace ui
