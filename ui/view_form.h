#pragma once
// TViewForm: the message viewer. Created hidden when the first message is
// opened (see TVtFormMain::EnsureViewer), with its [ViewWindow] settings; it
// shows one message at a time in BigView, a
// read-only rich edit control whose text limit is lifted so a message of
// several megabytes shows whole. Closing it only hides it. The text itself is
// prepared by the toolkit-free viewer core (MessageView, LoadMessage).
//
// The window's parts live in four files: view_form.cpp (creation, loading,
// showing and closing), view_commands.cpp (the command table, the keys,
// paging and moving to other messages), view_links.cpp (the links' colour,
// the mouse, the pop-up menus and the clipboard) and view_find.cpp (the find
// bar).

#include <windows.h>
// After windows.h, whose types it uses.
#include <richedit.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "thread/filter_terms.h"
#include "ui/attachment_files.h"
#include "ui/busy_flag.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/dialog_controls.h"
#include "ui/dialogs/save_choosers.h"
#include "ui/find_bar.h"
#include "ui/fonts.h"
#include "ui/rich_view.h"
#include "ui/view_host.h"
#include "ui/window.h"
#include "viewer/link_actions.h"
#include "viewer/message_find.h"
#include "viewer/message_parts.h"
#include "viewer/message_view.h"
#include "viewer/shown_text.h"

namespace ui {

class TViewForm final : public ui::Window {
 public:
  static constexpr wchar_t kClassName[] = L"TViewForm";

  // Creates the window hidden, applies the viewer load pass of `settings_path`
  // and loads the converter `nkf_library` ("NKF32.DLL"; a library that is
  // missing, of the other architecture or without its two entry points only
  // means no conversion). `busy` is the main window's ViewerBusy flag.
  TViewForm(platform::SystemPath settings_path, BusyFlag& busy, const std::wstring& nkf_library);
  ~TViewForm() override;

  // The main window, which the viewer's navigation and commands go through.
  void AttachHost(ViewerHost* host) { host_ = host; }

  // Set while a message is opened or removed; the main window and the
  // viewer's own commands do nothing meanwhile. Owned by the main window, which
  // also holds it while no viewer exists yet.
  BusyFlag& ViewerBusy;
  // Called from FormCloseQuery: the main window forgets ViewedNode.
  std::function<void()> OnClosed;

  // True when the viewer holds `path` now (compared ignoring case).
  bool HoldsMessage(const std::string& path) const;
  void SetMessage(const std::string& path, const std::string& sender, const std::string& subject);
  // Shows the window when hidden (maximised when the settings say so), else
  // activates it; the focus goes to the text.
  void ShowOrFocus();
  void FocusText();
  // Reads MessagePath and shows it: the caption "From: " + sender + " - " +
  // subject, the header kept aside, the body decoded and converted when
  // needed (every character kept), the links coloured. `as_stored`: the
  // forced filter, the file as stored through the converter.
  void LoadMessage(std::uint32_t flags, bool forced, bool as_stored = false);
  // The main window's open of the message in MessagePath (LoadMessage with
  // the node's flag word and ComplNkf as `forced`). `query` (UTF-8) is
  // what was searched for to find it, empty when it was not found by a
  // search: its words (split and folded as the index splits a query) are
  // highlighted in the find bar with none of them current, the text shown
  // from its top with nothing selected (F3 goes to the first) and the focus
  // left where it is. Without a query a bar that a search opened closes; one
  // the user opened stays and searches the new message as every load does.
  void OpenMessage(std::uint32_t flags, bool forced, const std::string& query);
  // The viewer save pass.
  bool SaveSettings();  // false when the file could not be written
  // Closing: empties the message fields and hides the window.
  bool FormCloseQuery();
  // The viewer's menu shortcuts for a message about to be dispatched; true
  // when the message was used up.
  bool PreTranslate(MSG& message);
  // Every key the window reacts to: its shortcuts and BigView's keys.
  static std::vector<KeyBinding> KeyBindings();
  // The font and colour dialog for BigView and the link colour; the message
  // shown is loaded again in the new font (view_form_font.cpp).
  void mFontClick();
  const settings::ViewerSettings& Settings() const { return settings_; }

  HWND BigView() const { return big_view_.hwnd(); }
  const viewer::MessageView& View() const { return view_; }
  // BigView's whole text (for reading the display back).
  std::wstring BigViewText() const;

  // ---- Operations (view_commands.cpp) ---------------------------------------
  enum class PageMode { kBackward, kForward, kForwardUnread };
  void PageOrStep(PageMode mode);
  void StepMail(Direction direction);
  void SendEnterToList() const;
  void ToggleHeader();

  // ---- Event handlers --------------------------------------------------------
  void FormShow();
  bool BigViewKeyDown(WPARAM key);  // true: the key was used up
  bool BigViewKeyPress(wchar_t character);
  void BigViewMouseMove(int x, int y);  // (view_links.cpp)
  void BigViewMouseDown(UINT button, int x, int y);
  void BigViewContextKey();  // Shift+F10 or the Menu key (view_links.cpp)

  // ---- Command handlers and enabled tests (the command table's rows) --------
  void mExitClick() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }
  // The selection to the clipboard as Unicode text, and as Shift-JIS for
  // programs that read only that (view_links.cpp).
  void mCopyClick();
  void mPopupUrlClick();
  void mPopupMailClick();
  void mNkfClick();
  void mPrevMailClick();
  void mNextMailClick();
  void mPrevMidokuMailClick() { StepToUnread(Direction::kPrevious); }
  void mNextMidokuMailClick() { StepToUnread(Direction::kNext); }
  void mNewMailClick();
  void mReplayClick();
  void mForwardClick();
  void mMailDeleteClick();
  void mThreadReadClick();
  void mMuteThreadClick();
  // The viewed message's sender, subject or thread in the main window's
  // quick filter (thread/filter_terms.h).
  void mFilterSenderClick() { FilterByViewed(&thread::SenderTerm); }
  void mFilterSubjectClick() { FilterByViewed(&thread::SubjectTerm); }
  void mFilterThreadClick() { FilterByViewed(&thread::ThreadTerm); }
  bool HasViewedNode() const { return host_ != nullptr && host_->ViewedNode() != nullptr; }
  void FilterByViewed(std::string (*term)(const thread::ThreadNode&));
  void mPopupUrlOpenClick();
  void mPopupUrlClipcopyClick();
  bool HasSelection() const;
  bool SelectionIsUrl() const;
  bool SelectionIsMailAddress() const;
  bool NkfLoaded() const { return nkf_library_ != nullptr; }
  bool ClientConfigured() const { return host_ != nullptr && host_->ClientConfigured(); }

  // ---- Attachments (view_attachments.cpp) -----------------------------------
  // The one at the caret opened, saved under a chosen name; all saved into a
  // chosen folder.
  void mAttachmentOpenClick();
  void mAttachmentSaveAsClick();
  void mAttachmentSaveAllClick();
  bool CaretOnAttachment() const;
  bool HasAttachments() const;
  // The copies opened that are unchanged and not in use go (at exit).
  void RemoveAttachmentCopies();
  // Where the attachments are saved is asked through these (replaced by
  // tests, which cannot answer the common dialogs).
  struct SaveDialogs {
    std::function<std::wstring(HWND, const std::wstring& name, const std::wstring& folder)>
        SavePath = &ChooseSavePath;
    std::function<std::wstring(HWND, const std::wstring& folder)> Folder = &ChooseSaveFolder;
  };
  SaveDialogs& Dialogs() { return save_dialogs_; }
  AttachmentFiles& AttachmentCopies() { return attachment_files_; }

  // True while the mouse is over a link (the hand cursor shows).
  bool HandCursorShown() const { return hand_shown_; }

  // ---- Find in the message (view_find.cpp) ----------------------------------
  // Ctrl+F: the find bar under the text, its box focused with its text
  // selected. Every occurrence of the box's text in view is highlighted, the
  // current one in a colour of its own, selected and scrolled into view;
  // beside the box "N / M". A message loaded meanwhile is searched again.
  void mFindClick();
  // F3, Shift+F3 (and Enter, Shift+Enter in the box): the next or previous
  // occurrence, wrapping at the ends; with the bar closed, it opens.
  void mFindNextClick();
  void mFindPrevClick();
  // Opens the bar with `text` (Shift-JIS) in its box and highlights it, for a
  // caller that knows what the user looks for in the message.
  void OpenFindBar(const std::string& text);
  // Esc in the box: the bar and the highlights go, the focus back to the text.
  void CloseFindBar();
  bool FindBarShown() const { return find_bar_.Shown(); }
  HWND FindBox() const { return find_bar_.Box().hwnd(); }
  std::string FindCountText() const { return find_bar_.Count().Text(); }
  // How many times the box's text has been looked for in a message.
  std::size_t FindSearchCount() const { return find_searches_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool BigViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void CreateBigView();
  void ApplySettings();
  void ApplyFont();
  void ApplyFallbackFace();                    // (view_form_font.cpp)
  void DpiChanged(int dpi, LPARAM suggested);  // (view_form_font.cpp)
  void ApplyBigViewFormat();
  void Layout();
  void ShowLines();
  std::string Convert(std::string_view text) const;
  void StepToUnread(Direction direction);
  void DeleteAndClose();
  // Key-table handlers (view_commands.cpp).
  bool CloseKey(WORD);
  bool Swallow(WORD) { return true; }
  bool PageBackKey(WORD);
  bool DeleteKey(WORD);
  bool HeaderKey(WORD);
  bool NextUnreadKey(WORD);

  // Links (view_links.cpp).
  void ColourLinks();
  // The byte of the shown text under a point of BigView's client area; false
  // when there is none.
  bool ByteAt(int x, int y, std::size_t& byte) const;
  bool LinkAt(std::size_t byte, viewer::LinkMode mode);
  std::string SelectedText() const;  // as Shift-JIS, for the selection's tests
  std::wstring SelectedWideText() const;
  void SelectBytes(std::size_t start, std::size_t end) const;
  void SetHandCursor(bool shown);
  // The view's pop-up, a link's or an attachment's, at a screen point.
  enum class Popup { kView, kLink, kAttachment };
  void ShowPopup(POINT at, Popup popup);

  // Attachments (view_attachments.cpp).
  // The byte ranges of the attachment lines in the shown text.
  void FindAttachmentLines();
  std::optional<std::size_t> AttachmentAtByte(std::size_t byte) const;
  std::optional<std::size_t> AttachmentAtCaret() const;
  // The message file read again for its attachments' bytes; false, the
  // reason shown, when it cannot be read.
  bool ReadAttachments(viewer::MessageFile& file) const;
  void OpenAttachment(std::size_t index);

  // The child that had the focus when the window was left, or the text.
  void RestoreFocus();

  // The find bar (view_find.cpp).
  void CreateFindBar();
  void ShowFindBar();
  // The bar and the highlights go; the focus to the text if the box had it.
  void HideFindBar();
  // The box's text set by the program: `words` a search's query (UTF-8),
  // else a phrase (Shift-JIS).
  void SetFindText(const std::string& text, bool words);
  void FindBoxChanged();
  void FindTimer();
  // The box's text searched again in the shown text.
  void SearchShownText();
  // Lines shown that are new to the finder (another message, the header
  // toggled): folded again and, with the bar shown, searched.
  void SearchNewText();
  // The current occurrence selected and scrolled into view; the count
  // beside the box.
  void ShowCurrentMatch();
  // The occurrences in view highlighted, the current one in its own colour.
  void HighlightShownMatches();
  void StepMatch(bool next);
  bool FindBoxMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // The occurrences in view highlighted once the control has finished
  // scrolling.
  void PostHighlight();

  static const KeyRow<TViewForm> kKeys[];
  // The box's text is searched when this timer fires: timers come only once
  // the queue is empty, so that a burst of characters (an input method's
  // string committed as WM_IME_CHAR, keys typed faster than a search) is
  // searched once, whole.
  static constexpr UINT_PTR kFindTimerId = 1;
  static constexpr UINT kHighlightMessage = WM_APP + 21;

  ViewerHost* host_ = nullptr;
  platform::SystemPath settings_path_;
  settings::ViewerSettings settings_;
  viewer::MessageView view_;
  HMODULE rich_edit_library_ = nullptr;
  HMODULE nkf_library_ = nullptr;
  RichView big_view_;
  ContextMenuKey context_key_;
  HACCEL accelerators_ = nullptr;
  HCURSOR hand_cursor_ = nullptr;
  ui::Font font_;
  bool shown_once_ = false;
  // The shown text (UTF-8, lines joined by CR LF) and BigView's positions of it.
  viewer::ShownText shown_;
  FindBar find_bar_;
  // A search opened the bar (OpenMessage with a query), not the user: the
  // next message opened without one closes it.
  bool bar_from_search_ = false;
  // The box's text is a query whose words are found (OpenMessage), not a
  // phrase; while the program sets it, its change is not the user's.
  bool find_words_ = false;
  bool setting_find_text_ = false;
  std::size_t find_searches_ = 0;
  bool highlight_posted_ = false;
  // The shown text folded for finding, made when the bar first needs it.
  std::optional<viewer::TextFinder> finder_;
  viewer::MessageFind find_;
  // The occurrences highlighted now, and the current one among them.
  std::vector<viewer::TextRange> lit_;
  std::optional<viewer::TextRange> lit_current_;
  bool hand_shown_ = false;
  // The attachment lines' byte ranges in shown_, in the order of
  // view_.Attachments.
  std::vector<viewer::Link> attachment_bytes_;
  AttachmentFiles attachment_files_;
  SaveDialogs save_dialogs_;
  std::wstring save_folder_;        // where the last attachment was saved
  std::size_t popup_link_pos_ = 0;  // PopupLinkPos
  std::string popup_url_caption_;   // the link menu's first item, set on hover
  // ComplNkf as the main window gave it with the last message opened, for
  // loading the message again after a font change.
  bool opened_forced_ = false;
  HWND focus_child_ = nullptr;
};

}  // namespace ui
