#pragma once
// Fonts and colours as the settings file names them, turned into GDI objects.
//
// A face the user chose is the face used. A face that has the Shift-JIS
// character set is created for it; a scalable face without it (Tahoma,
// Consolas) is created for the default character set, so that the font mapper
// keeps the face, and the characters the face lacks (Japanese) are drawn in a
// fallback face of the same size and style: the program draws its lists' and
// the viewer's text in runs, since the system links Japanese faces to only a
// few faces (and Wine to none of them). Only a face that cannot draw
// Japanese at all is replaced: one that does not exist, or a bitmap face
// without Shift-JIS ("Terminal" outside Japanese Windows). The replacement is
// the first face of a list that starts with what every Windows 10 and 11 has
// (Yu Gothic UI, Yu Gothic, Meiryo, then the MS faces). The face name the
// settings hold is kept unchanged for saving.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/settings.h"

namespace ui {

// A settings colour (0x00BBGGRR, or 0x80000000 + system colour index) as the
// colour to draw with.
COLORREF ToColorRef(std::int32_t setting);

// The font style bits of the settings file's "FontStyle" keys.
using settings::kFontBold;
using settings::kFontItalic;

// What the system has of a face (CP932, as the settings name it).
struct FaceInfo {
  bool exists = false;
  bool shift_jis = false;  // has the Shift-JIS character set
  bool scalable = false;   // TrueType or OpenType: font linking applies
};
FaceInfo LookUpFace(const std::string& face);

// The face actually used for `face`: itself when it can draw Japanese (see
// above), else the first replacement the system has.
std::string UsableFace(const std::string& face);

// The character set a font of `face` is created for: Shift-JIS where the face
// has it, else the default one (which keeps the face).
BYTE CharSetFor(const std::string& face);

// An owned HFONT.
class Font {
 public:
  Font() = default;
  ~Font() { Reset(); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Font of `face` (CP932, as the settings name it) at `points` size for a
  // window of `dpi`, with the style bits of kFontBold and kFontItalic.
  void CreatePoints(const std::string& face, int points, int dpi, std::int32_t style = 0);
  HFONT handle() const { return font_; }
  const std::string& face() const { return face_; }
  int points() const { return points_; }
  // For a face without the Shift-JIS character set: a Japanese face of the
  // same size and style for the characters it lacks; null otherwise.
  HFONT fallback() const { return fallback_; }
  const std::string& fallback_face() const { return fallback_face_; }

 private:
  void Reset();
  HFONT font_ = nullptr;
  HFONT fallback_ = nullptr;
  std::string fallback_face_;
  std::string face_;
  int points_ = 0;
};

// The runs [first, last) of `text` whose characters the face of `font` has
// no glyph for (line ends and other control characters are not counted).
std::vector<std::pair<int, int>> MissingRuns(HFONT font, std::wstring_view text);

// Draws `text` with its left edge at x and its top at y, clipped to `clip`,
// in `font`, and the characters its face lacks in its fallback face (when it
// has one). The text colour and background mode are the caller's.
void DrawFallbackText(HDC dc, const Font& font, int x, int y, const RECT& clip,
                      std::wstring_view text);

// The width and height of `text` as DrawFallbackText draws it.
SIZE FallbackTextExtent(HDC dc, const Font& font, std::wstring_view text);

// The face the dialogs and the main form are designed with is ja::kDialogFace
// ("ＭＳ Ｐゴシック", in "ui/ja_texts.h"), at 9 points.
inline constexpr int kDialogPoints = 9;

}  // namespace ui
