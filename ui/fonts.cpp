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

std::string UsableFace(const std::string& face) {
  if (DrawsJapanese(LookUpFace(face))) return face;
  for (const char* fallback : kFallbackFaces) {
    if (LookUpFace(fallback).shift_jis) return fallback;
  }
  return face;
}

BYTE CharSetFor(const std::string& face) {
  return LookUpFace(face).shift_jis ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
}

void Font::CreatePoints(const std::string& face, int points, int dpi, std::int32_t style) {
  Reset();
  const std::string usable = UsableFace(face);
  LOGFONTW logfont{};
  logfont.lfHeight = PointsToHeight(points, dpi);
  logfont.lfWeight = (style & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  logfont.lfItalic = (style & kFontItalic) != 0 ? TRUE : FALSE;
  logfont.lfCharSet = CharSetFor(usable);
  logfont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logfont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logfont.lfQuality = DEFAULT_QUALITY;
  logfont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  platform::Widen(usable).copy(logfont.lfFaceName, LF_FACESIZE - 1);
  font_ = CreateFontIndirectW(&logfont);
  face_ = face;
  points_ = points;
}

void Font::Reset() {
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
}

}  // namespace ui
