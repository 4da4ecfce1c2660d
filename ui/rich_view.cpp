#include "ui/rich_view.h"

#include <richole.h>
#include <tom.h>

#include <algorithm>

namespace ui {
namespace {

// ITextDocument's interface id, which mingw-w64's libraries do not define.
constexpr IID kTextDocumentId = {
    0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

CHARRANGE ToCharRange(viewer::TextRange range) {
  return {static_cast<LONG>(range.start), static_cast<LONG>(range.end)};
}

CHARFORMAT2W BackFormat(COLORREF colour) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_BACKCOLOR;
  format.crBackColor = colour;
  if (colour == RichView::kNoShade) format.dwEffects = CFE_AUTOBACKCOLOR;
  return format;
}

// The background of `shade.range` through the document; false when the
// control refuses it.
bool ShadeRange(ITextDocument& document, const RichView::Shade& shade) {
  ITextRange* range = nullptr;
  if (document.Range(static_cast<LONG>(shade.range.start), static_cast<LONG>(shade.range.end),
                     &range) != S_OK ||
      range == nullptr) {
    return false;
  }
  ITextFont* font = nullptr;
  HRESULT result = range->GetFont(&font);
  if (result == S_OK && font != nullptr) {
    result =
        font->SetBackColor(shade.colour == RichView::kNoShade ? static_cast<LONG>(tomAutoColor)
                                                              : static_cast<LONG>(shade.colour));
    font->Release();
  }
  range->Release();
  return result == S_OK;
}

}  // namespace

void RichView::SetUpViewer(LONG text_limit) const {
  SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, text_limit);
  SendMessageW(hwnd_, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTICODEPAGE, 0);
  const LRESULT options = SendMessageW(hwnd_, EM_GETLANGOPTIONS, 0, 0);
  SendMessageW(hwnd_, EM_SETLANGOPTIONS, 0, options | IMF_AUTOFONT);
  SendMessageW(hwnd_, EM_SETUNDOLIMIT, 0, 0);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, ENM_SCROLL);
}

void RichView::SetLook(HFONT font, COLORREF background, const CHARFORMAT2W& format) const {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 0, background);
  SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void RichView::ReplaceText(const std::wstring& text) const {
  SetWindowTextW(hwnd_, L"");
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring RichView::Text() const {
  GETTEXTLENGTHEX length_query{GTL_DEFAULT | GTL_PRECISE | GTL_NUMCHARS, 1200};
  const auto length = static_cast<int>(
      SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length_query), 0));
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const auto copied = static_cast<std::size_t>(SendMessageW(
      hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, text.size()));
  return text;
}

std::wstring RichView::SelectedText() const {
  const viewer::TextRange range = Selection();
  if (range.end <= range.start) return {};
  std::wstring wide(range.end - range.start + 1, L'\0');
  const auto length = static_cast<std::size_t>(
      SendMessageW(hwnd_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(wide.data())));
  wide.resize(std::min(length, wide.size()));
  return wide;
}

std::size_t RichView::TopPosition() const {
  const LRESULT line = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  const LRESULT start = SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  return static_cast<std::size_t>(std::max(start, LRESULT{0}));
}

void RichView::ScrollToTop(std::size_t position) const {
  const LRESULT line = SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(position));
  const LRESULT now = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(hwnd_, EM_LINESCROLL, 0, line - now);
}

bool RichView::ScrollPage(bool down) const {
  return LOWORD(SendMessageW(hwnd_, EM_SCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0)) != 0;
}

POINT RichView::PointOf(std::size_t position) const {
  POINTL point{};
  SendMessageW(hwnd_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point),
               static_cast<LPARAM>(position));
  return {point.x, point.y};
}

viewer::TextRange RichView::Selection() const {
  CHARRANGE range{};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return {static_cast<std::size_t>(std::max(range.cpMin, LONG{0})),
          static_cast<std::size_t>(std::max(range.cpMax, LONG{0}))};
}

void RichView::Select(viewer::TextRange range) const {
  CHARRANGE selection = ToCharRange(range);
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

bool RichView::HasSelection() const {
  const viewer::TextRange range = Selection();
  return range.end > range.start;
}

viewer::TextRange RichView::ShownRange() const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const LRESULT first_line = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  const LRESULT start = SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(first_line), 0);
  POINTL corner{client.right, client.bottom};
  const LRESULT last = SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner));
  const LRESULT last_line = SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, last);
  const LRESULT end = SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(last_line + 1), 0);
  // Past the last line there is no next one: the rest of the text.
  return {static_cast<std::size_t>(std::max(start, LRESULT{0})),
          end < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(end)};
}

std::optional<std::size_t> RichView::PositionAt(int x, int y) const {
  POINTL point{x, y};
  const auto position =
      static_cast<LONG>(SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
  if (position < 0) return std::nullopt;
  return static_cast<std::size_t>(position);
}

void RichView::FormatRanges(const CHARFORMAT2W& format,
                            std::span<const viewer::TextRange> ranges) const {
  const LRESULT mask = SendMessageW(hwnd_, EM_GETEVENTMASK, 0, 0);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
  CHARRANGE saved{};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  for (const viewer::TextRange& range : ranges) {
    CHARRANGE selection = ToCharRange(range);
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, mask);
}

void RichView::SetBackColours(std::span<const Shade> shades) const {
  const LRESULT mask = SendMessageW(hwnd_, EM_GETEVENTMASK, 0, 0);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
  if (!ShadeThroughDocument(shades)) ShadeBySelection(shades);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, mask);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

bool RichView::ShadeThroughDocument(std::span<const Shade> shades) const {
  IRichEditOle* ole = nullptr;
  if (SendMessageW(hwnd_, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) == 0 ||
      ole == nullptr) {
    return false;
  }
  ITextDocument* document = nullptr;
  const HRESULT queried = ole->QueryInterface(kTextDocumentId, reinterpret_cast<void**>(&document));
  ole->Release();
  if (queried != S_OK || document == nullptr) return false;
  LONG frozen = 0;
  document->Freeze(&frozen);
  bool shaded = true;
  for (const Shade& shade : shades) shaded = ShadeRange(*document, shade) && shaded;
  document->Unfreeze(&frozen);
  document->Release();
  return shaded;
}

// Each range selected in turn with drawing off; the selection and the scroll
// position put back before the control draws again.
void RichView::ShadeBySelection(std::span<const Shade> shades) const {
  POINT scrolled{};
  SendMessageW(hwnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
  SetRedraw(false);
  for (const Shade& shade : shades)
    FormatRanges(BackFormat(shade.colour), std::span(&shade.range, 1));
  SendMessageW(hwnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
  SetRedraw(true);
}

}  // namespace ui
