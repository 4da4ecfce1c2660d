// TViewForm: the links in BigView. The links are found in the shown text by
// the viewer core (byte ranges of the UTF-8 text with CR LF line ends); the
// rich edit counts positions differently (one per UTF-16 unit, one per line
// end), so every range is converted both ways through shown_. Here: the
// link colour and underline, the hand cursor, the clicks, the pop-up menus and
// the clipboard. What a link opens is decided by viewer::LinkAt; only URLs
// reach the shell.

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/wide_win.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/view_commands.h"
#include "ui/view_form.h"
#include "ui/wide_text.h"
#include "viewer/unicode_text.h"

namespace ui {

namespace {

std::string ShiftJisOf(std::string_view utf8) { return platform::Narrow(WideFromUtf8(utf8)); }

// Puts `size` bytes of `data` on the open clipboard as `format`.
void SetClipboardBytes(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory) == nullptr) GlobalFree(memory);
}

}  // namespace

// Gives every link the link colour and an underline.
void TViewForm::ColourLinks() {
  ApplyFallbackFace();
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR | CFM_UNDERLINE;
  format.dwEffects = CFE_UNDERLINE;
  format.crTextColor = ToColorRef(settings_.LinkColor);
  big_view_.FormatRanges(format, shown_.LinkRanges(view_.Links));
  big_view_.FormatRanges(format, shown_.LinkRanges(attachment_bytes_));
}

bool TViewForm::ByteAt(int x, int y, std::size_t& byte) const {
  if (shown_.Text().empty()) return false;
  const std::optional<std::size_t> position = big_view_.PositionAt(x, y);
  if (!position) return false;
  byte = shown_.ByteAtPosition(*position);
  return byte < shown_.Text().size();
}

bool TViewForm::LinkAt(std::size_t byte, viewer::LinkMode mode) {
  const viewer::LinkDecision decision =
      viewer::LinkAt(view_.Links, shown_.Text(), byte, mode, ClientConfigured());
  if (!decision.inside) return false;
  switch (decision.action) {
    // A link holds only characters Shift-JIS has (ASCII, half-width katakana).
    case viewer::LinkAction::kOpenUrl:
      if (host_ != nullptr) host_->OpenUrl(ShiftJisOf(decision.text));
      break;
    case viewer::LinkAction::kComposeToAddress:
      if (host_ != nullptr) host_->ComposeToAddress(ShiftJisOf(decision.text));
      break;
    case viewer::LinkAction::kCopyLink:
      SelectBytes(decision.link.start, decision.link.end);
      mCopyClick();
      break;
    case viewer::LinkAction::kNone:
      break;
  }
  if (mode == viewer::LinkMode::kHover) popup_url_caption_ = decision.popup_caption;
  return true;
}

void TViewForm::SelectBytes(std::size_t start, std::size_t end) const {
  big_view_.Select({shown_.PositionOfByte(start), shown_.PositionOfByte(end)});
}

std::wstring TViewForm::SelectedWideText() const { return big_view_.SelectedText(); }

std::string TViewForm::SelectedText() const { return platform::Narrow(SelectedWideText()); }

// The control ends its lines with CR alone; the clipboard's text has CR LF.
// Unicode for every program that reads it, Shift-JIS (with the Japanese
// locale, so that the system reads it as such) for those that read only
// 8-bit text; a character Shift-JIS lacks is "?" there.
void TViewForm::mCopyClick() {
  const std::wstring selected = SelectedWideText();
  if (selected.empty()) return;
  std::wstring text;
  for (std::size_t i = 0; i < selected.size(); ++i) {
    text += selected[i];
    if (selected[i] == L'\r' && (i + 1 == selected.size() || selected[i + 1] != L'\n')) {
      text += L'\n';
    }
  }
  const std::string shift_jis = platform::Narrow(text);
  if (OpenClipboard(hwnd()) == FALSE) return;
  EmptyClipboard();
  SetClipboardBytes(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  SetClipboardBytes(CF_TEXT, shift_jis.c_str(), shift_jis.size() + 1);
  const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
  SetClipboardBytes(CF_LOCALE, &japanese, sizeof japanese);
  CloseClipboard();
}

bool TViewForm::HasSelection() const { return big_view_.HasSelection(); }

bool TViewForm::SelectionIsUrl() const { return viewer::SelectionIsUrl(SelectedText()); }

bool TViewForm::SelectionIsMailAddress() const {
  return viewer::SelectionIsMailAddress(SelectedText(), ClientConfigured());
}

void TViewForm::SetHandCursor(bool shown) {
  if (shown == hand_shown_) return;
  hand_shown_ = shown;
  SetCursor(shown && hand_cursor_ != nullptr ? hand_cursor_ : LoadCursorW(nullptr, IDC_IBEAM));
}

void TViewForm::BigViewMouseMove(int x, int y) {
  if (ViewerBusy) return;
  std::size_t byte = 0;
  SetHandCursor(ByteAt(x, y, byte) &&
                (AttachmentAtByte(byte) || LinkAt(byte, viewer::LinkMode::kHover)));
}

void TViewForm::BigViewMouseDown(UINT button, int x, int y) {
  if (ViewerBusy) return;
  std::size_t byte = 0;
  const bool on_text = ByteAt(x, y, byte);
  const std::optional<std::size_t> attachment =
      on_text ? AttachmentAtByte(byte) : std::optional<std::size_t>();
  if (button == WM_LBUTTONDOWN) {
    if (attachment) {
      OpenAttachment(*attachment);
    } else if (on_text) {
      LinkAt(byte, viewer::LinkMode::kClick);
    }
    return;
  }
  if (button != WM_RBUTTONDOWN) return;
  POINT at{x, y};
  ClientToScreen(big_view_.hwnd(), &at);
  // Over an attachment line, its menu, for the attachment now at the caret.
  if (attachment && !HasSelection()) {
    const std::size_t position = shown_.PositionOfByte(byte);
    big_view_.Select({position, position});
    ShowPopup(at, Popup::kAttachment);
    return;
  }
  // Over a link, the link's own menu; its commands run from the queue after
  // the menu closes, on the link under the mouse now.
  const bool on_link = !HasSelection() && hand_shown_;
  if (on_link && on_text) popup_link_pos_ = byte;
  ShowPopup(at, on_link ? Popup::kLink : Popup::kView);
}

// Shift+F10 or the Menu key: the pop-up at the caret, the link's menu when
// the caret is in a link and nothing is selected.
void TViewForm::BigViewContextKey() {
  if (ViewerBusy) return;
  const viewer::TextRange selection = big_view_.Selection();
  const POINT caret = big_view_.PointOf(selection.start);
  const int line_height = -PointsToHeight(settings_.FontSize, DpiOf(hwnd()));
  const RECT below{caret.x, caret.y, caret.x, caret.y + line_height};
  const std::size_t byte = shown_.ByteAtPosition(selection.start);
  const bool on_link = selection.end <= selection.start && byte < shown_.Text().size() &&
                       LinkAt(byte, viewer::LinkMode::kHover);
  if (on_link) popup_link_pos_ = byte;
  Popup popup = on_link ? Popup::kLink : Popup::kView;
  if (selection.end <= selection.start && AttachmentAtByte(byte)) popup = Popup::kAttachment;
  ShowPopup(PopupPoint(big_view_.hwnd(), &below), popup);
}

void TViewForm::ShowPopup(POINT at, Popup popup) {
  SetForegroundWindow(hwnd());
  HMENU menu = nullptr;
  if (popup == Popup::kAttachment) {
    menu = ViewCommands().BuildPopup(*this, AttachmentPopupDef());
  } else if (popup == Popup::kLink) {
    menu = ViewCommands().BuildPopup(*this, UrlPopupDef());
    if (!popup_url_caption_.empty()) {
      ModifyMenuW(menu, 0, MF_BYPOSITION | MF_STRING,
                  static_cast<UINT_PTR>(ViewCommands().IdOf("mPopupUrlOpen")),
                  platform::Widen(popup_url_caption_).c_str());
    }
  } else {
    menu = ViewCommands().BuildPopup(*this, ViewPopupDef());
  }
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd(), nullptr);
  DestroyMenu(menu);
}

void TViewForm::mPopupUrlOpenClick() { LinkAt(popup_link_pos_, viewer::LinkMode::kClick); }

void TViewForm::mPopupUrlClipcopyClick() { LinkAt(popup_link_pos_, viewer::LinkMode::kCopy); }

// The selected text goes to the shell only when it is a URL and nothing else.
void TViewForm::mPopupUrlClick() {
  if (ViewerBusy || host_ == nullptr) return;
  const std::string text = viewer::TrimSelectedText(SelectedText());
  if (viewer::UrlSafeToOpen(text)) host_->OpenUrl(text);
}

void TViewForm::mPopupMailClick() {
  if (ViewerBusy || host_ == nullptr) return;
  host_->ComposeToAddress(viewer::TrimSelectedText(SelectedText()));
}

// BigView's own messages: the keys and the mouse go to the handlers first.
bool TViewForm::BigViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (context_key_.Pressed(message, wparam)) {
    BigViewContextKey();
    return true;
  }
  if (context_key_.Released(message, wparam)) return true;
  switch (message) {
    case WM_KEYDOWN:
      return BigViewKeyDown(wparam);
    // Other occurrences of the find bar's text may come into view. Scrolling
    // tells EN_VSCROLL, except a drag of the thumb; a new size tells nothing.
    case WM_VSCROLL:
    case WM_SIZE:
      result = DefSubclassProc(big_view_.hwnd(), message, wparam, lparam);
      HighlightShownMatches();
      return true;
    case WM_CHAR:
      return BigViewKeyPress(static_cast<wchar_t>(wparam));
    case WM_MOUSEMOVE:
      BigViewMouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return false;
    case WM_LBUTTONDOWN:
      BigViewMouseDown(message, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return false;
    case WM_RBUTTONDOWN:
      BigViewMouseDown(message, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return true;
    // The first click of a double-click has opened the attachment already:
    // the second neither opens it again nor selects a word.
    case WM_LBUTTONDBLCLK: {
      std::size_t byte = 0;
      return ByteAt(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), byte) &&
             AttachmentAtByte(byte).has_value();
    }
    case WM_CONTEXTMENU:
      if (!FromKeyboard(lparam)) return false;
      BigViewContextKey();
      return true;
    case WM_SETCURSOR:
      if (!hand_shown_ || hand_cursor_ == nullptr || LOWORD(lparam) != HTCLIENT) return false;
      SetCursor(hand_cursor_);
      result = TRUE;
      return true;
    default:
      return false;
  }
}

}  // namespace ui
