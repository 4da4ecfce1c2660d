#pragma once
// Fonts and colours as the settings file names them, turned into GDI objects.
// Every font is created for the Shift-JIS character set. A face that the
// system does not have for that character set ("Terminal" or "ＭＳ Ｐゴシック"
// where no Japanese Windows fonts are installed) is replaced by the first
// Japanese-capable face found, so Japanese text never shows as boxes; the face
// name the settings hold is kept unchanged for saving.

#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

// A settings colour (0x00BBGGRR, or 0x80000000 + system colour index) as the
// colour to draw with.
COLORREF ToColorRef(std::int32_t setting);

// True when a font of that face (CP932) exists for the Shift-JIS character set.
bool JapaneseFaceExists(const std::string& face);

// The face actually used for `face`: itself when it exists, else a fallback.
std::string UsableFace(const std::string& face);

// An owned HFONT.
class Font {
 public:
  Font() = default;
  ~Font() { Reset(); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Font of `face` (CP932, as the settings name it) at `points` size.
  void CreatePoints(const std::string& face, int points);
  // Font of `face` with a cell height in pixels (negative: character height).
  void CreateHeight(const std::string& face, int height);
  HFONT handle() const { return font_; }
  const std::string& face() const { return face_; }
  int points() const { return points_; }

 private:
  void Reset();
  HFONT font_ = nullptr;
  std::string face_;
  int points_ = 0;
};

// The face the dialogs and the main form are designed with is ja::kDialogFace
// ("ＭＳ Ｐゴシック", in "ui/ja_texts.h").

}  // namespace ui
