#include "ui/dialogs/query_syntax_form.h"

#include "ui/ja_texts.h"

namespace ui {

TQuerySyntaxForm::TQuerySyntaxForm(HWND owner) {
  CreateFrame(owner, Frame{kClassName, ja::kQuerySyntaxCaption, 440, 330});
}

void TQuerySyntaxForm::OnCreateControls() {
  SyntaxText.Create(hwnd(), 10, ja::kQuerySyntax);
  Place(SyntaxText, 8, 8, 424, 282);
  SubclassControl<TQuerySyntaxForm, &TQuerySyntaxForm::TextMessage>(SyntaxText.hwnd(), this);
  OKButton.Create(hwnd(), IDOK, "OK");
  Place(OKButton, 357, 298, 75, 24);
  ApplyDialogFont();
}

// A multi-line edit asks the dialog for every key, Esc and Enter too: it
// keeps only the arrows and the paging keys, so that Esc and Enter close the
// window from the text as from the button.
bool TQuerySyntaxForm::TextMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_GETDLGCODE) return false;
  result = DLGC_WANTARROWS;
  return true;
}

void ShowQuerySyntax(HWND owner) {
  TQuerySyntaxForm form(GetAncestor(owner, GA_ROOT));
  form.ShowModal();
}

}  // namespace ui
