#include "ui/fonts.h"

#include "platform/wide_win.h"
#include "ui/ja_texts.h"

namespace ui {
namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool WideFaceExists(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = SHIFTJIS_CHARSET;
  face.copy(query.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// Japanese faces tried in order when the named one is missing (CP932).
const char* const kFallbackFaces[] = {
    ja::kDialogFace, "MS PGothic", "MS UI Gothic",     "Meiryo",       "IPAPGothic",
    "IPAGothic",     "VL PGothic", "Noto Sans CJK JP", "TakaoPGothic",
};

}  // namespace

COLORREF ToColorRef(std::int32_t setting) {
  const auto bits = static_cast<std::uint32_t>(setting);
  if ((bits & 0xFF000000u) == 0x80000000u) return GetSysColor(static_cast<int>(bits & 0xFFu));
  return static_cast<COLORREF>(bits & 0x00FFFFFFu);
}

bool JapaneseFaceExists(const std::string& face) { return WideFaceExists(platform::Widen(face)); }

std::string UsableFace(const std::string& face) {
  if (JapaneseFaceExists(face)) return face;
  for (const char* fallback : kFallbackFaces) {
    if (JapaneseFaceExists(fallback)) return fallback;
  }
  return face;
}

void Font::CreatePoints(const std::string& face, int points) {
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  CreateHeight(face, height);
  points_ = points;
}

void Font::CreateHeight(const std::string& face, int height) {
  Reset();
  LOGFONTW logfont{};
  logfont.lfHeight = height;
  logfont.lfWeight = FW_NORMAL;
  logfont.lfCharSet = SHIFTJIS_CHARSET;
  logfont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logfont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logfont.lfQuality = DEFAULT_QUALITY;
  logfont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring usable = platform::Widen(UsableFace(face));
  usable.copy(logfont.lfFaceName, LF_FACESIZE - 1);
  font_ = CreateFontIndirectW(&logfont);
  face_ = face;
  HDC dc = GetDC(nullptr);
  points_ = MulDiv(height < 0 ? -height : height, 72, GetDeviceCaps(dc, LOGPIXELSY));
  ReleaseDC(nullptr, dc);
}

void Font::Reset() {
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
}

}  // namespace ui
