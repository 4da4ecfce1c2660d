// TViewForm: find in the message. The bar under BigView holds the box and
// the count; the occurrences and which is current are the viewer core's
// (viewer::MessageFind over the shown text folded once per message), here
// only shown: a background colour for every occurrence in view and another
// for the current one.

#include <span>
#include <string>
#include <vector>

#include "search/fold.h"
#include "thread/search_query.h"
#include "ui/dpi.h"
#include "ui/view_form.h"
#include "viewer/unicode_text.h"

namespace ui {
namespace {

// Every occurrence on yellow, the current one on orange, as browsers mark
// them; the text keeps its colour (links stay links).
constexpr COLORREF kMatchColour = RGB(255, 255, 0);
constexpr COLORREF kCurrentColour = RGB(255, 150, 50);

}  // namespace

void TViewForm::CreateFindBar() {
  find_bar_.Create(hwnd(), DpiOf(hwnd()));
  SubclassControl<TViewForm, &TViewForm::FindBoxMessage>(find_bar_.Box().hwnd(), this);
}

void TViewForm::ShowFindBar() {
  find_bar_.Show(true);
  Layout();
}

// The bar is the user's from now on: it stays for the messages opened next.
void TViewForm::mFindClick() {
  bar_from_search_ = false;
  if (!find_bar_.Shown()) {
    ShowFindBar();
    SearchShownText();
  }
  find_bar_.Box().Focus();
  SendMessageW(find_bar_.Box().hwnd(), EM_SETSEL, 0, -1);
}

void TViewForm::OpenFindBar(const std::string& text) {
  SetFindText(text, false);
  if (find_bar_.Shown()) SearchShownText();  // else as it opens
  mFindClick();
}

void TViewForm::SetFindText(const std::string& text, bool words) {
  setting_find_text_ = true;
  // A search's query comes as it was typed (UTF-8); a text of the program's
  // own is Shift-JIS.
  if (words) {
    find_bar_.Box().SetUtf8Text(text);
  } else {
    find_bar_.Box().SetText(text);
  }
  setting_find_text_ = false;
  find_words_ = words;
}

void TViewForm::HideFindBar() {
  if (!find_bar_.Shown()) return;
  const bool had_focus = GetFocus() == find_bar_.Box().hwnd();
  find_bar_.Show(false);
  bar_from_search_ = false;
  KillTimer(hwnd(), kFindTimerId);
  find_.Clear();
  HighlightShownMatches();  // takes the highlights away
  Layout();
  if (had_focus) FocusText();
}

void TViewForm::CloseFindBar() {
  if (!find_bar_.Shown()) return;
  HideFindBar();
  FocusText();
}

void TViewForm::mFindNextClick() { StepMatch(true); }

void TViewForm::mFindPrevClick() { StepMatch(false); }

void TViewForm::StepMatch(bool next) {
  if (!find_bar_.Shown()) {
    mFindClick();
    return;
  }
  next ? find_.Next() : find_.Previous();
  ShowCurrentMatch();
  HighlightShownMatches();
}

// EN_CHANGE of the box: typed, it is one phrase again and the user's bar.
void TViewForm::FindBoxChanged() {
  if (setting_find_text_) return;
  find_words_ = false;
  bar_from_search_ = false;
  if (find_bar_.Shown()) SetTimer(hwnd(), kFindTimerId, USER_TIMER_MINIMUM, nullptr);
}

void TViewForm::FindTimer() {
  KillTimer(hwnd(), kFindTimerId);
  if (find_bar_.Shown()) SearchShownText();
}

void TViewForm::SearchNewText() {
  finder_.reset();
  if (find_bar_.Shown()) SearchShownText();
}

namespace {

// The words of a query the message's text can show: its positive bare words and
// body: and nq: texts (a phrase whole), folded as the index folds them.
std::vector<std::string> ShownWords(std::string_view utf8) {
  const thread::ParsedQuery query = thread::ParseQuery(utf8, thread::LocalQueryClock());
  std::vector<std::string> words;
  thread::ForEachLeaf(query.root, [&](const thread::QueryNode& leaf, bool positive) {
    if (!positive || leaf.kind != thread::QueryNode::Kind::kText) return;
    if (leaf.field != thread::QueryField::kAny && leaf.field != thread::QueryField::kBody &&
        leaf.field != thread::QueryField::kNotQuoted) {
      return;
    }
    std::string word = search::Fold(leaf.text);
    if (!word.empty()) words.push_back(std::move(word));
  });
  return words;
}

}  // namespace

// A phrase is shown at its first occurrence; a search's words where they are
// (none is current).
void TViewForm::SearchShownText() {
  KillTimer(hwnd(), kFindTimerId);
  ++find_searches_;
  if (!finder_) finder_.emplace(view_.Lines, view_.Form);
  const std::wstring typed = find_bar_.Box().WideText();
  const std::string query = viewer::Utf16ToUtf8(std::u16string(typed.begin(), typed.end()));
  if (find_words_) {
    find_.SearchWords(*finder_, ShownWords(query));
  } else {
    find_.Search(*finder_, query);
  }
  ShowCurrentMatch();
  HighlightShownMatches();
}

void TViewForm::ShowCurrentMatch() {
  find_bar_.Count().SetText(find_.CountText());
  const std::optional<std::size_t> current = find_.Current();
  if (!current) return;
  big_view_.Select(find_.Matches()[*current]);
  big_view_.ScrollCaret();
}

// Only the occurrences in view are highlighted, and those highlighted before
// are put back as they were: formatting every occurrence, one range each
// with drawing off, took 0.85 s for 1,000 occurrences in a 124 KB message and
// 4.3 s for 3,000 in 374 KB under Wine (bench/wine/viewer_find_bar.cpp), so
// the 10,000 of a 1 MB message would take well over ten seconds. Called
// again whenever the view scrolls or changes size. The old highlights go in
// one range (the text between them has no background of its own) and the
// control draws once at the end: a keystroke in 1.25 MB took 125 ms under
// Wine with a range each and drawing on, 58 ms so. The selection and the
// scroll position are left as they are (RichView::SetBackColours).
void TViewForm::HighlightShownMatches() {
  std::vector<viewer::TextRange> shown;
  std::optional<viewer::TextRange> current;
  if (find_bar_.Shown()) {
    const auto [first, last] = find_.MatchesWithin(big_view_.ShownRange());
    const std::vector<viewer::TextRange>& matches = find_.Matches();
    shown.assign(matches.begin() + static_cast<std::ptrdiff_t>(first),
                 matches.begin() + static_cast<std::ptrdiff_t>(last));
    const std::optional<std::size_t> index = find_.Current();
    if (index && *index >= first && *index < last) current = matches[*index];
  }
  if (shown == lit_ && current == lit_current_) return;
  std::vector<RichView::Shade> shades;
  if (!lit_.empty()) shades.push_back({{lit_.front().start, lit_.back().end}, RichView::kNoShade});
  for (const viewer::TextRange& range : shown) shades.push_back({range, kMatchColour});
  if (current) shades.push_back({*current, kCurrentColour});
  big_view_.SetBackColours(shades);
  lit_ = std::move(shown);
  lit_current_ = current;
}

// The box's keys: Enter and F3 go to the next occurrence, with Shift to the
// previous one; Esc closes the bar. Every other key is the box's own (the
// window leaves it the keys without Ctrl, so no letter of the text's
// commands runs while typing here).
void TViewForm::PostHighlight() {
  if (highlight_posted_) return;
  highlight_posted_ = true;
  PostMessageW(hwnd(), kHighlightMessage, 0, 0);
}

bool TViewForm::FindBoxMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  result = 0;
  if (EditChordKey(find_bar_.Box().hwnd(), message, wparam)) return true;
  // The characters of Enter and Esc would only beep.
  if (message == WM_CHAR) return wparam == VK_RETURN || wparam == VK_ESCAPE;
  if (message != WM_KEYDOWN) return false;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  switch (wparam) {
    case VK_RETURN:
    case VK_F3:
      StepMatch(!shift);
      return true;
    case VK_ESCAPE:
      CloseFindBar();
      return true;
    default:
      return false;
  }
}

}  // namespace ui
