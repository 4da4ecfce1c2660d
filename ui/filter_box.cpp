#include "ui/filter_box.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "platform/wide_win.h"
#include "thread/filter_terms.h"
#include "ui/controls.h"
#include "ui/dialogs/query_syntax_form.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

// Posted to the box when a filter gave way to a keystroke, so that the text
// is filtered once the typing pauses even when no further change comes.
constexpr UINT kRefilterMessage = WM_APP + 19;

// Senders offered at once; typing narrows them.
constexpr std::size_t kSendersOffered = 50;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\x3000'; }

// The "from:" term the caret stands in: where it starts (its "-" included),
// where it ends and the field's length ("from:" or "-from:"); nullopt when the
// caret is in no such term.
struct SenderSpot {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t field = 0;
};
std::optional<SenderSpot> SenderSpotAt(const std::wstring& text, std::size_t caret) {
  std::size_t start = caret;
  while (start > 0 && !IsBlank(text[start - 1])) --start;
  std::size_t end = caret;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  const std::size_t minus = start < text.size() && text[start] == L'-' ? 1 : 0;
  static constexpr std::wstring_view kField = L"from:";
  if (caret < start + minus + kField.size()) return std::nullopt;
  for (std::size_t i = 0; i < kField.size(); ++i) {
    if (std::towlower(text[start + minus + i]) != kField[i]) return std::nullopt;
  }
  return SenderSpot{start, end, minus + kField.size()};
}

std::size_t CaretOf(HWND edit) {
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
  return end;
}

}  // namespace

void FilterBox::Create(HWND parent, int id, int check_box_id) {
  edit_.Create(parent, id);
  edit_.Show(true);
  // An input method's commit goes into the text at once, as one change,
  // rather than one character (and one filter) at a time.
  SendMessageW(edit_.hwnd(), EM_SETIMESTATUS, EMSIS_COMPOSITIONSTRING, EIMES_GETCOMPSTRATONCE);
  SubclassControl<FilterBox, &FilterBox::Message>(edit_.hwnd(), this);
  body_search_.Create(parent, check_box_id, ja::kBodySearch);
  body_search_.Show(true);
  SubclassControl<FilterBox, &FilterBox::CheckBoxMessage>(body_search_.hwnd(), this);
}

void FilterBox::SetFont(HFONT font, HFONT caption_font) {
  edit_.SetFont(font);
  body_search_.SetFont(caption_font);
  // The caption, the mark (a square of the system's size) and the gaps.
  const int dpi = DpiOf(body_search_.hwnd());
  check_width_ = MeasureText(caption_font, ja::kBodySearch).cx + Scale(16 + 12, dpi);
}

void FilterBox::Move(int x, int y, int width, int height) const {
  const int check = std::min(check_width_, width);
  edit_.Move(x, y, width - check, height);
  body_search_.Move(x + width - check, y, check, height);
}

void FilterBox::FocusAndSelectAll() const {
  edit_.Focus();
  SendMessageW(edit_.hwnd(), EM_SETSEL, 0, -1);
}

// The window moves the focus on Tab itself, not through a dialog's key
// handling, which would show the focus rectangles once the keyboard is used:
// they are shown here, or the check box with the focus would look as one
// without.
void FilterBox::FocusCheckBox() const {
  SendMessageW(GetAncestor(body_search_.hwnd(), GA_ROOT), WM_CHANGEUISTATE,
               MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  body_search_.Focus();
}

void FilterBox::PostRefilter() {
  refilter_due_ = true;
  if (refilter_posted_) return;
  refilter_posted_ = true;
  PostMessageW(edit_.hwnd(), kRefilterMessage, 0, 0);
}

bool FilterBox::PutOffWhileTyping() {
  refilter_due_ = false;
  if (!KeystrokeWaiting()) return false;
  PostRefilter();
  return true;
}

bool FilterBox::KeystrokeWaiting() {
  MSG message{};
  for (const UINT key : {WM_KEYDOWN, WM_CHAR, WM_IME_CHAR}) {
    if (PeekMessageW(&message, nullptr, key, key, PM_NOREMOVE | PM_NOYIELD)) return true;
  }
  return false;
}

void FilterBox::RecordQuery() const {
  if (history_ != nullptr) history_->Add(edit_.Utf8Text());
}

void FilterBox::ShowTerm(const std::string& term) {
  drop_.Close();
  edit_.SetText(term);  // EN_CHANGE filters
  RecordQuery();
}

void FilterBox::PutText(const std::wstring& text, int caret) {
  putting_text_ = true;
  SetWindowTextW(edit_.hwnd(), text.c_str());  // EN_CHANGE filters
  putting_text_ = false;
  const auto at = caret < 0 ? static_cast<WPARAM>(text.size()) : static_cast<WPARAM>(caret);
  SendMessageW(edit_.hwnd(), EM_SETSEL, at, static_cast<LPARAM>(at));
}

void FilterBox::OpenHistory() {
  if (history_ == nullptr) return;
  std::vector<std::wstring> items;
  for (const std::string& query : history_->Items()) items.push_back(WideFromUtf8(query));
  offer_ = Offer::kHistory;
  drop_.Open(edit_.hwnd(), items, [this](int index) {
    PutText(WideFromUtf8(history_->Items()[static_cast<std::size_t>(index)]), -1);
  });
}

void FilterBox::TextChanged() {
  if (putting_text_) return;
  if (offer_ == Offer::kHistory) drop_.Close();
  OfferSenders(!drop_.IsOpen() || offer_ != Offer::kSenders);
}

void FilterBox::OfferSenders(bool fresh) {
  const std::wstring text = edit_.WideText();
  const std::optional<SenderSpot> spot = SenderSpotAt(text, CaretOf(edit_.hwnd()));
  if (!spot) {
    if (offer_ == Offer::kSenders) drop_.Close();
    return;
  }
  std::wstring typed =
      text.substr(spot->start + spot->field, CaretOf(edit_.hwnd()) - spot->start - spot->field);
  if (!typed.empty() && typed.front() == L'"') typed.erase(0, 1);
  std::vector<std::string> senders = owner_.SendersMatching(platform::Narrow(typed), fresh);
  if (senders.size() > kSendersOffered) senders.resize(kSendersOffered);
  std::vector<std::wstring> items;
  for (const std::string& sender : senders) items.push_back(platform::Widen(sender));
  offer_ = Offer::kSenders;
  const std::wstring field = text.substr(spot->start, spot->field - 1);  // without ":"
  drop_.Open(edit_.hwnd(), items, [this, text, spot = *spot, field, senders](int index) {
    const std::wstring term = platform::Widen(
        thread::FieldTerm(platform::Narrow(field), senders[static_cast<std::size_t>(index)]));
    PutText(text.substr(0, spot.start) + term + text.substr(spot.end),
            static_cast<int>(spot.start + term.size()));
  });
}

bool FilterBox::Message(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == kRefilterMessage) {
    refilter_posted_ = false;
    if (refilter_due_) owner_.FilterBoxChanged();
    return true;
  }
  if (message == WM_KILLFOCUS) {
    drop_.Close();
    // To another control of the window: the text has filtered the rows.
    const auto to = reinterpret_cast<HWND>(wparam);
    if (to != nullptr && GetAncestor(to, GA_ROOT) == GetAncestor(edit_.hwnd(), GA_ROOT)) {
      RecordQuery();
    }
    return false;
  }
  if (message == WM_KEYDOWN && drop_.KeyDown(wparam)) return true;
  if (EditChordKey(edit_.hwnd(), message, wparam)) return true;
  if (message == WM_CHAR) return wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == L'\t';
  if (message != WM_KEYDOWN) return false;
  switch (wparam) {
    case VK_DOWN:
      if (GetWindowTextLengthW(edit_.hwnd()) == 0) {
        OpenHistory();
      } else {
        OfferSenders(true);
      }
      return true;
    case VK_F1:
      ShowQuerySyntax(edit_.hwnd());
      return true;
    case VK_ESCAPE:
      edit_.SetText("");  // EN_CHANGE shows every thread again
      owner_.LeaveFilterBox();
      return true;
    case VK_RETURN:
      RecordQuery();
      owner_.LeaveFilterBox();
      return true;
    case VK_TAB:
      drop_.Close();
      owner_.TabFrom(Pane::kFilterBox, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
      return true;
    default:
      return false;
  }
}

// The check box keeps its own keys (Space toggles it); Tab leads out of it.
bool FilterBox::CheckBoxMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (message == WM_CHAR) return wparam == L'\t';
  if (message != WM_KEYDOWN || wparam != VK_TAB) return false;
  owner_.TabFrom(Pane::kBodySearch, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  return true;
}

}  // namespace ui
