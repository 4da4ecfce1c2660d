#pragma once
// The program's settings file "Veltra.ini" in the executable's directory: every
// section, key and default, and the read and write passes that use them. Each
// pass opens the file, does its keys in order and closes it again; nothing is
// cached between passes. Applying the values to windows is the windows' job.

#include <cstdint>
#include <string>

namespace settings {

inline constexpr char kSettingsFileName[] = "Veltra.ini";

// Colours are 32-bit values stored as signed decimals: 0x00BBGGRR for an RGB
// colour, 0x80000000 + index for a system colour.
inline constexpr std::int32_t kColorWindowText = static_cast<std::int32_t>(0x80000008u);
inline constexpr std::int32_t kColorWindow = static_cast<std::int32_t>(0x80000005u);
inline constexpr std::int32_t kColorRed = 255;

// [Property]: the program-wide options. Several passes each take some of its
// keys (see the key table in settings.cpp); the options dialog reads and writes
// its own set of them.
struct PropertySettings {
  std::int32_t MailInMemory = 0;  // read at start-up only; written by the options dialog
  std::int32_t AccountTitle = 0;  // index of the current account
  std::string Mailbox;            // the mailbox root directory
  std::int32_t TabInfo = 0;       // never written by the program
  std::int32_t References = 0;
  std::int32_t MailIniPos = 1;
  std::int32_t MidokuSearch = 0;
  std::int32_t Subject = 0;
  std::string Quenmar32;  // the mail client's executable; empty = not configured
  std::int32_t ComplNkf = 0;
  std::int32_t CollapseThreads = 0;  // 1: folders open with every thread collapsed
};

struct WindowBounds {
  std::int32_t Width = 631;
  std::int32_t Height = 396;
  std::int32_t Top = 1;
  std::int32_t Left = 1;
  std::int32_t bMaximize = 0;
};

// FontStyle bits, as chosen in the font dialog.
inline constexpr std::int32_t kFontBold = 1;
inline constexpr std::int32_t kFontItalic = 2;

struct ListFontSettings {
  std::string FontFace = "Terminal";
  std::int32_t FontSize = 10;
  std::int32_t Color = kColorWindowText;
  std::int32_t BColor = kColorWindow;
  std::int32_t FontStyle = 0;  // kFontBold | kFontItalic; files without it read as regular
};

// What the main load pass reads and the main save pass writes.
struct MainWindowSettings {
  PropertySettings Property;  // only MailInMemory (read), AccountTitle and Mailbox
  WindowBounds MainWindow;
  ListFontSettings ListBox;
  std::int32_t ListBoxWidth = 150;
  ListFontSettings ListView;
  std::int32_t Column1 = 333;
};

// [ViewWindow]: the viewer window and its text box.
struct ViewerSettings {
  WindowBounds Window;
  std::string FontFace = "Terminal";
  std::int32_t FontSize = 10;
  std::int32_t Color = kColorWindowText;
  std::int32_t BColor = kColorWindow;
  std::int32_t LinkColor = kColorRed;
  std::int32_t FontStyle = 0;  // kFontBold | kFontItalic
};

// The settings file beside the executable whose directory is given.
std::string SettingsPath(const std::string& exe_dir);

// Passes. Reads never fail: missing file, section or key, or a value that is
// not a number give the defaults above. Writes return false when the file could
// not be replaced (the old file then stays whole).
ViewerSettings LoadViewerSettings(const std::string& path);
MainWindowSettings LoadMainSettings(const std::string& path);
PropertySettings LoadPropertySettings(const std::string& path);
bool SaveViewerSettings(const std::string& path, const ViewerSettings& settings);
bool SaveMainSettings(const std::string& path, const MainWindowSettings& settings);
// The options dialog's passes: they read and write only the [Property] keys
// the dialog shows; the other fields read as their defaults and are not written.
PropertySettings LoadOptionSettings(const std::string& path);
bool SaveOptionSettings(const std::string& path, const PropertySettings& settings);

}  // namespace settings
