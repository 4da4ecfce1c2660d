// TViewForm: the links in BigView. The links are found in the shown text by
// the viewer core (byte ranges of the UTF-8 text with CR LF line ends); the
// rich edit counts positions differently (one per UTF-16 unit, one per line
// end), so every range is converted both ways through char_of_byte_. Here: the
// link colour and underline, the hand cursor, the clicks, the pop-up menus and
// the clipboard. What a link opens is decided by viewer::LinkAt; only URLs
// reach the shell.

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/wide_win.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/view_commands.h"
#include "ui/view_form.h"
#include "viewer/unicode_text.h"

namespace ui {

namespace {

std::wstring WideOf(std::string_view utf8) {
  const std::u16string text = viewer::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string ShiftJisOf(std::string_view utf8) { return platform::Narrow(WideOf(utf8)); }

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

// Builds the position map of the shown text and gives every link the link
// colour and an underline, with the control's notifications off and its
// selection kept.
void TViewForm::ColourLinks() {
  ApplyFallbackFace();
  char_of_byte_.assign(shown_text_.size() + 1, 0);
  LONG character = 0;
  for (std::size_t byte = 0; byte < shown_text_.size();) {
    const auto c = static_cast<unsigned char>(shown_text_[byte]);
    // A CR LF line end is one position, a UTF-8 sequence one UTF-16 unit, or
    // two (a surrogate pair) for its four-byte form.
    const bool line_end =
        c == '\r' && byte + 1 < shown_text_.size() && shown_text_[byte + 1] == '\n';
    std::size_t length = 1;
    if (line_end) {
      length = 2;
    } else if (c >= 0xC0) {
      length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    }
    length = std::min(length, shown_text_.size() - byte);
    for (std::size_t k = 0; k < length; ++k) char_of_byte_[byte + k] = character;
    byte += length;
    character += c >= 0xF0 ? 2 : 1;
  }
  char_of_byte_.back() = character;

  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR | CFM_UNDERLINE;
  format.dwEffects = CFE_UNDERLINE;
  format.crTextColor = ToColorRef(settings_.LinkColor);
  std::vector<CHARRANGE> ranges;
  ranges.reserve(view_.Links.size());
  for (const viewer::Link& link : view_.Links) {
    ranges.push_back({CharOfByte(link.start), CharOfByte(link.end)});
  }
  FormatRanges(format, ranges);
}

// Gives each range the format, with the control's notifications off (a
// selection change would reach the window's handlers) and its selection kept.
void TViewForm::FormatRanges(const CHARFORMAT2W& format, const std::vector<CHARRANGE>& ranges) {
  const LRESULT mask = SendMessageW(big_view_, EM_GETEVENTMASK, 0, 0);
  SendMessageW(big_view_, EM_SETEVENTMASK, 0, 0);
  CHARRANGE saved{};
  SendMessageW(big_view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  for (CHARRANGE range : ranges) {
    SendMessageW(big_view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(big_view_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(big_view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  SendMessageW(big_view_, EM_SETEVENTMASK, 0, mask);
}

LONG TViewForm::CharOfByte(std::size_t byte) const {
  if (char_of_byte_.empty()) return 0;
  return char_of_byte_[std::min(byte, char_of_byte_.size() - 1)];
}

// The first byte of the character at `character`.
std::size_t TViewForm::ByteOfChar(LONG character) const {
  const auto at = std::lower_bound(char_of_byte_.begin(), char_of_byte_.end(), character);
  return static_cast<std::size_t>(at - char_of_byte_.begin());
}

bool TViewForm::ByteAt(int x, int y, std::size_t& byte) const {
  if (shown_text_.empty()) return false;
  POINTL point{x, y};
  const auto character = static_cast<LONG>(
      SendMessageW(big_view_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
  if (character < 0) return false;
  byte = ByteOfChar(character);
  return byte < shown_text_.size();
}

bool TViewForm::LinkAt(std::size_t byte, viewer::LinkMode mode) {
  const viewer::LinkDecision decision =
      viewer::LinkAt(view_.Links, shown_text_, byte, mode, ClientConfigured());
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
  CHARRANGE range{CharOfByte(start), CharOfByte(end)};
  SendMessageW(big_view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::wstring TViewForm::SelectedWideText() const {
  CHARRANGE range{};
  SendMessageW(big_view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMax <= range.cpMin) return {};
  std::wstring wide(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
  const auto length = static_cast<std::size_t>(
      SendMessageW(big_view_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(wide.data())));
  wide.resize(std::min(length, wide.size()));
  return wide;
}

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

bool TViewForm::HasSelection() const {
  CHARRANGE range{};
  SendMessageW(big_view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range.cpMax > range.cpMin;
}

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
  SetHandCursor(ByteAt(x, y, byte) && LinkAt(byte, viewer::LinkMode::kHover));
}

void TViewForm::BigViewMouseDown(UINT button, int x, int y) {
  if (ViewerBusy) return;
  std::size_t byte = 0;
  if (button == WM_LBUTTONDOWN) {
    if (ByteAt(x, y, byte)) LinkAt(byte, viewer::LinkMode::kClick);
    return;
  }
  if (button != WM_RBUTTONDOWN) return;
  POINT at{x, y};
  ClientToScreen(big_view_, &at);
  // Over a link, the link's own menu; its commands run from the queue after
  // the menu closes, on the link under the mouse now.
  const bool on_link = !HasSelection() && hand_shown_;
  if (on_link && ByteAt(x, y, byte)) popup_link_pos_ = byte;
  ShowPopup(at, on_link);
}

// Shift+F10 or the Menu key: the pop-up at the caret, the link's menu when
// the caret is in a link and nothing is selected.
void TViewForm::BigViewContextKey() {
  if (ViewerBusy) return;
  CHARRANGE selection{};
  SendMessageW(big_view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  POINTL caret{};
  SendMessageW(big_view_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), selection.cpMin);
  const int line_height = -PointsToHeight(settings_.FontSize, DpiOf(hwnd()));
  const RECT below{caret.x, caret.y, caret.x, caret.y + line_height};
  const std::size_t byte = ByteOfChar(selection.cpMin);
  const bool on_link = selection.cpMax <= selection.cpMin && byte < shown_text_.size() &&
                       LinkAt(byte, viewer::LinkMode::kHover);
  if (on_link) popup_link_pos_ = byte;
  ShowPopup(PopupPoint(big_view_, &below), on_link);
}

void TViewForm::ShowPopup(POINT at, bool link_menu) {
  SetForegroundWindow(hwnd());
  HMENU menu = nullptr;
  if (link_menu) {
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
