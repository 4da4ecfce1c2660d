#pragma once
// The quick filter box above the thread list: a one-line edit whose keys lead
// out of it (Enter on to the thread list, Tab to the check box beside it,
// Shift+Tab back to the folder list, Esc empties it and goes to the list),
// with the Ctrl chords a plain edit lacks, and beside it the check box
// "本文も検索" (the words match the text of the mail too), the next stop of
// Tab: Space toggles it, Tab goes on to the thread list and Shift+Tab back to
// the edit. What the text filters is the pane's that holds it.
//
// Helps to write a query: Down in the empty box drops the queries run last
// (settings::QueryHistory, shared with the search of every folder); after
// "from:" the folder's senders drop, most frequent first, narrowed as the
// user types, and the one chosen takes the place of what was typed; F1 shows
// how a query is written. A query counts as run when Enter leaves the box, or
// when the focus goes from the box to another control of the window.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "settings/query_history.h"
#include "ui/dialog_controls.h"
#include "ui/drop_list.h"
#include "ui/pane_host.h"

namespace ui {

class FilterBox {
 public:
  // What the box asks of the pane that holds it.
  class Owner {
   public:
    // A filter that gave way to a keystroke is due again.
    virtual void FilterBoxChanged() = 0;
    // Enter or Esc in the edit: the focus goes on to the thread list.
    virtual void LeaveFilterBox() = 0;
    // Tab or Shift+Tab (`backwards`) in the edit or its check box.
    virtual void TabFrom(Pane from, bool backwards) = 0;
    // The senders of the folder shown that hold `typed` (CP932), most
    // frequent first; `fresh`: the folder's messages counted again.
    virtual std::vector<std::string> SendersMatching(std::string_view typed, bool fresh) = 0;

   protected:
    ~Owner() = default;
  };

  explicit FilterBox(Owner& owner) : owner_(owner) {}
  FilterBox(const FilterBox&) = delete;
  FilterBox& operator=(const FilterBox&) = delete;

  void Create(HWND parent, int id, int check_box_id);
  HWND hwnd() const { return edit_.hwnd(); }
  const CheckBox& BodySearchBox() const { return body_search_; }
  bool BodySearch() const { return body_search_.Checked(); }
  void SetBodySearch(bool on) const { body_search_.SetChecked(on); }
  std::string Text() const { return edit_.Text(); }          // CP932, for the subject and sender
  std::string Utf8Text() const { return edit_.Utf8Text(); }  // every character, for the index
  void SetText(const std::string& text) const { edit_.SetText(text); }
  // The queries run, which the box adds to and offers (none: no history).
  void SetHistory(settings::QueryHistory* history) { history_ = history; }
  // A term put in by a command (CP932): it replaces the text and counts as run.
  void ShowTerm(const std::string& term);
  // EN_CHANGE: the senders offered follow what is typed after "from:".
  void TextChanged();
  const DropList& Drop() const { return drop_; }
  // The edit's font, and the check box's (one that draws Japanese).
  void SetFont(HFONT font, HFONT caption_font);
  // The edit takes the width the check box leaves.
  void Move(int x, int y, int width, int height) const;
  void Focus() const { edit_.Focus(); }
  // The focus on the check box, from the keyboard (Shift+Tab from the list).
  void FocusCheckBox() const;
  // The focus with the whole text selected, so that typing replaces it.
  void FocusAndSelectAll() const;
  // A filter is due: FilterBoxChanged once the messages queued now have run
  // (posted once however often it is asked).
  void PostRefilter();
  // True while keystrokes wait (typed fast, or an input method's commit
  // handed over character by character): the text changes again, so the
  // filter is put off until they have run.
  bool PutOffWhileTyping();
  static bool KeystrokeWaiting();

 private:
  bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool CheckBoxMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void RecordQuery() const;
  void OpenHistory();
  // The senders for the "from:" term before the caret, or the list closed
  // when the caret is in no such term.
  void OfferSenders(bool fresh);
  // Puts `text` in the box with the caret at `caret` (whole text: -1).
  void PutText(const std::wstring& text, int caret);

  Owner& owner_;
  EditBox edit_;
  CheckBox body_search_;
  int check_width_ = 0;  // the check box's caption and mark in its font
  bool refilter_posted_ = false;
  bool refilter_due_ = false;
  settings::QueryHistory* history_ = nullptr;
  DropList drop_;
  enum class Offer { kNone, kHistory, kSenders } offer_ = Offer::kNone;
  bool putting_text_ = false;  // the box's own change: no completion
};

}  // namespace ui
