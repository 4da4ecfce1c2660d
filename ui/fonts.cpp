#include "ui/fonts.h"

#include "platform/wide_win.h"
#include "ui/dpi.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

int CALLBACK NoteFace(const LOGFONTW* logfont, const TEXTMETRICW*, DWORD type,
                      LPARAM found) noexcept {
  auto& info = *reinterpret_cast<FaceInfo*>(found);
  info.exists = true;
  if (logfont->lfCharSet == SHIFTJIS_CHARSET) info.shift_jis = true;
  if ((type & RASTER_FONTTYPE) == 0) info.scalable = true;
  return 1;
}

bool DrawsJapanese(const FaceInfo& info) { return info.shift_jis || info.scalable; }

// Japanese faces tried in order when the named one cannot be used (CP932):
// what Windows 10 and 11 have everywhere first, then the older Windows
// faces, then the free faces of other systems (Wine).
const char* const kFallbackFaces[] = {
    "Yu Gothic UI", "Yu Gothic",  "Meiryo",    "Meiryo UI",  ja::kDialogFace,    "MS PGothic",
    "MS UI Gothic", "IPAPGothic", "IPAGothic", "VL PGothic", "Noto Sans CJK JP", "TakaoPGothic",
};

}  // namespace

COLORREF ToColorRef(std::int32_t setting) {
  const auto bits = static_cast<std::uint32_t>(setting);
  if ((bits & 0xFF000000u) == 0x80000000u) return GetSysColor(static_cast<int>(bits & 0xFFu));
  return static_cast<COLORREF>(bits & 0x00FFFFFFu);
}

FaceInfo LookUpFace(const std::string& face) {
  FaceInfo info;
  const std::wstring wide = platform::Widen(face);
  if (wide.empty() || wide.size() >= LF_FACESIZE) return info;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;  // every character set of the face
  wide.copy(query.lfFaceName, LF_FACESIZE - 1);
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFace, reinterpret_cast<LPARAM>(&info), 0);
  ReleaseDC(nullptr, dc);
  return info;
}

// The first face of the replacement list the system has, or empty.
std::string JapaneseFace() {
  for (const char* fallback : kFallbackFaces) {
    if (LookUpFace(fallback).shift_jis) return fallback;
  }
  return {};
}

std::string UsableFace(const std::string& face) {
  if (DrawsJapanese(LookUpFace(face))) return face;
  const std::string replacement = JapaneseFace();
  return replacement.empty() ? face : replacement;
}

BYTE CharSetFor(const std::string& face) {
  return LookUpFace(face).shift_jis ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
}

namespace {

HFONT CreateFace(const std::string& face, int points, int dpi, std::int32_t style) {
  LOGFONTW logfont{};
  logfont.lfHeight = PointsToHeight(points, dpi);
  logfont.lfWeight = (style & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  logfont.lfItalic = (style & kFontItalic) != 0 ? TRUE : FALSE;
  logfont.lfCharSet = CharSetFor(face);
  logfont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logfont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logfont.lfQuality = DEFAULT_QUALITY;
  logfont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  platform::Widen(face).copy(logfont.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&logfont);
}

}  // namespace

void Font::CreatePoints(const std::string& face, int points, int dpi, std::int32_t style) {
  Reset();
  const std::string usable = UsableFace(face);
  font_ = CreateFace(usable, points, dpi, style);
  if (!LookUpFace(usable).shift_jis) {
    fallback_face_ = JapaneseFace();
    if (!fallback_face_.empty()) fallback_ = CreateFace(fallback_face_, points, dpi, style);
  }
  face_ = face;
  points_ = points;
}

void Font::Reset() {
  if (font_ != nullptr) DeleteObject(font_);
  if (fallback_ != nullptr) DeleteObject(fallback_);
  font_ = nullptr;
  fallback_ = nullptr;
  fallback_face_.clear();
}

std::vector<std::pair<int, int>> MissingRuns(HFONT font, std::wstring_view text) {
  std::vector<std::pair<int, int>> runs;
  if (text.empty()) return runs;
  std::vector<WORD> glyphs(text.size());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  const DWORD done = GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(),
                                      GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (done == GDI_ERROR) return runs;
  for (int i = 0; i < static_cast<int>(text.size()); ++i) {
    const bool missing =
        glyphs[static_cast<std::size_t>(i)] == 0xFFFF && text[static_cast<std::size_t>(i)] >= L' ';
    if (!missing) continue;
    if (!runs.empty() && runs.back().second == i) {
      runs.back().second = i + 1;
    } else {
      runs.emplace_back(i, i + 1);
    }
  }
  return runs;
}

SIZE FallbackTextExtent(HDC dc, const Font& font, std::wstring_view text) {
  HGDIOBJ old = SelectObject(dc, font.handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE total{0, metrics.tmHeight};
  const auto add = [&](HFONT face, int first, int last) {
    SelectObject(dc, face);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.data() + first, last - first, &extent);
    total.cx += extent.cx;
  };
  const std::vector<std::pair<int, int>> runs = font.fallback() != nullptr
                                                    ? MissingRuns(font.handle(), text)
                                                    : std::vector<std::pair<int, int>>{};
  int at = 0;
  for (const auto& [first, last] : runs) {
    if (first > at) add(font.handle(), at, first);
    add(font.fallback(), first, last);
    at = last;
  }
  if (at < static_cast<int>(text.size())) add(font.handle(), at, static_cast<int>(text.size()));
  SelectObject(dc, old);
  return total;
}

void DrawFallbackText(HDC dc, const Font& font, int x, int y, const RECT& clip,
                      std::wstring_view text) {
  HGDIOBJ old = SelectObject(dc, font.handle());
  // Both faces on the main face's baseline.
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int baseline = y + metrics.tmAscent;
  const UINT old_align = SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
  const auto draw = [&](int first, int last) {
    const int length = last - first;
    ExtTextOutW(dc, x, baseline, ETO_CLIPPED, &clip, text.data() + first, static_cast<UINT>(length),
                nullptr);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.data() + first, length, &extent);
    x += extent.cx;
  };
  const std::vector<std::pair<int, int>> runs = font.fallback() != nullptr
                                                    ? MissingRuns(font.handle(), text)
                                                    : std::vector<std::pair<int, int>>{};
  int at = 0;
  for (const auto& [first, last] : runs) {
    if (first > at) draw(at, first);
    SelectObject(dc, font.fallback());
    draw(first, last);
    SelectObject(dc, font.handle());
    at = last;
  }
  if (at < static_cast<int>(text.size())) draw(at, static_cast<int>(text.size()));
  SetTextAlign(dc, old_align);
  SelectObject(dc, old);
}

}  // namespace ui
