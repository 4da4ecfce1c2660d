#pragma once
// The program's settings file "Veltra.ini" (beside the executable, or under the
// user's application data, see ChooseSettingsHome): every
// section, key and default, and the read and write passes that use them. Each
// pass opens the file, does its keys in order and closes it again; nothing is
// cached between passes. Applying the values to windows is the windows' job.

#include <cstdint>
#include <string>

#include "platform/system_path.h"

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
  std::int32_t MarkMutedRead = 0;    // 1: a muted thread's unread messages are marked read
  std::int32_t BodySearch = 0;       // 1: the quick filter searches the text too
  std::int32_t HideMuted = 0;        // 1: muted threads are left out of the thread list
  std::int32_t CatchUpDays = 7;      // the days "フォルダを既読にする" offered last
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
  PropertySettings Property;  // only MailInMemory (read), AccountTitle, Mailbox, BodySearch,
                              // HideMuted, CatchUpDays
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

// "Veltra.ini" in `folder`.
platform::SystemPath SettingsPath(const platform::SystemPath& folder);

// Where "Veltra.ini" lives. Beside the program, as a program unpacked from its
// zip into a folder of the user's keeps it, when the file there can be
// written, or when there is none yet and the folder takes new files. Else
// (the 64-bit program under "Program Files", a read-only file or folder)
// under the user's application data, "%APPDATA%\Veltrano", which the program
// makes. The 32-bit program is virtualised as the mail client is: a folder
// under "Program Files" takes its files, into the user's VirtualStore, so its
// file stays beside it.
// The folder's name plays no part: the path is held in UTF-16.
struct SettingsHomeFacts {
  bool BesideExists = false;    // "Veltra.ini" beside the program is a file
  bool BesideWritable = false;  // ... and can be opened for writing
  bool FolderWritable = false;  // a new file can be made in the program's folder
};
enum class SettingsHome { kBesideProgram, kUserAppData };
SettingsHome ChooseSettingsHome(const SettingsHomeFacts& facts);

// Passes. Reads never fail: missing file, section or key, or a value that is
// not a number give the defaults above. Writes return false when the file could
// not be replaced within half a second (the old file then stays whole; see
// IniWriter).
ViewerSettings LoadViewerSettings(const platform::SystemPath& path);
MainWindowSettings LoadMainSettings(const platform::SystemPath& path);
PropertySettings LoadPropertySettings(const platform::SystemPath& path);
bool SaveViewerSettings(const platform::SystemPath& path, const ViewerSettings& settings);
bool SaveMainSettings(const platform::SystemPath& path, const MainWindowSettings& settings);
// The options dialog's passes: they read and write only the [Property] keys
// the dialog shows; the other fields read as their defaults and are not written.
PropertySettings LoadOptionSettings(const platform::SystemPath& path);
bool SaveOptionSettings(const platform::SystemPath& path, const PropertySettings& settings);

}  // namespace settings
