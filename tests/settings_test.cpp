#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"

namespace {

using testing_support::TempDir;

// The text a save pass writes for `settings`, in a fresh file.
template <typename Settings>
std::string SavedText(bool (*save)(const platform::SystemPath&, const Settings&),
                      const Settings& settings) {
  const TempDir dir;
  EXPECT_TRUE(save(platform::SystemPath::FromCp932(dir.Join("Veltra.ini")), settings));
  return dir.ReadFile("Veltra.ini");
}

TEST(Settings, MissingFileGivesEveryDefault) {
  TempDir dir;
  const platform::SystemPath path =
      settings::SettingsPath(platform::SystemPath::FromCp932(dir.path()));
  // Every field a pass writes, compared through what it writes.
  EXPECT_EQ(SavedText(settings::SaveMainSettings, settings::LoadMainSettings(path)),
            SavedText(settings::SaveMainSettings, settings::MainWindowSettings{}));
  EXPECT_EQ(SavedText(settings::SaveViewerSettings, settings::LoadViewerSettings(path)),
            SavedText(settings::SaveViewerSettings, settings::ViewerSettings{}));
  for (const settings::PropertySettings& p :
       {settings::LoadPropertySettings(path), settings::LoadOptionSettings(path)}) {
    EXPECT_EQ(SavedText(settings::SaveOptionSettings, p),
              SavedText(settings::SaveOptionSettings, settings::PropertySettings{}));
    const settings::PropertySettings d;
    EXPECT_EQ(std::tie(p.MailInMemory, p.AccountTitle, p.Mailbox, p.TabInfo, p.References,
                       p.Subject, p.MidokuSearch, p.ComplNkf),
              std::tie(d.MailInMemory, d.AccountTitle, d.Mailbox, d.TabInfo, d.References,
                       d.Subject, d.MidokuSearch, d.ComplNkf));
  }
}

TEST(Settings, SavePassesWriteColoursSignedAndStringsQuotedAsTheClientExpects) {
  TempDir dir;
  const platform::SystemPath path =
      settings::SettingsPath(platform::SystemPath::FromCp932(dir.path()));
  settings::MainWindowSettings m;
  m.Property.Mailbox = "C:\\Quenmar\\Mailbox";
  m.Property.AccountTitle = 1;
  m.Property.MailInMemory = 1;
  m.ListBox.FontStyle = settings::kFontBold | settings::kFontItalic;
  m.MainWindow.bMaximize = 1;
  ASSERT_TRUE(settings::SaveMainSettings(path, m));
  settings::ViewerSettings v;
  v.LinkColor = 0x0000FF;
  v.FontStyle = settings::kFontItalic;
  ASSERT_TRUE(settings::SaveViewerSettings(path, v));
  const std::string text = dir.ReadFile("Veltra.ini");
  EXPECT_NE(text.find("Mailbox=\"C:\\Quenmar\\Mailbox\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("FontFace=\"Terminal\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("Color=-2147483640\r\n"), std::string::npos);
  EXPECT_NE(text.find("BColor=-2147483643\r\n"), std::string::npos);
  EXPECT_NE(text.find("LinkColor=255\r\n"), std::string::npos);
  EXPECT_EQ(text.find("MailInMemory"), std::string::npos) << "the main save does not write it";

  const settings::MainWindowSettings back = settings::LoadMainSettings(path);
  EXPECT_EQ(back.Property.Mailbox, m.Property.Mailbox);
  EXPECT_EQ(back.Property.AccountTitle, 1);
  EXPECT_EQ(back.Property.MailInMemory, 0) << "read back as the default, since not written";
  EXPECT_EQ(back.ListBox.FontStyle, m.ListBox.FontStyle);
  EXPECT_EQ(back.ListView.FontStyle, 0) << "each list keeps a style of its own";
  EXPECT_EQ(settings::LoadViewerSettings(path).FontStyle, settings::kFontItalic);
  EXPECT_EQ(back.MainWindow.bMaximize, 1);
  EXPECT_EQ(back.ListView.Color, settings::kColorWindowText);
}

TEST(Settings, OptionPassWritesTheClientPathUnquotedAndKeepsOtherSections) {
  TempDir dir;
  const platform::SystemPath path = platform::SystemPath::FromCp932(
      dir.WriteFile("Veltra.ini", "[ViewWindow]\r\nWidth=800\r\n[Property]\r\nTabInfo=1\r\n"));
  settings::PropertySettings o;
  o.AccountTitle = 7;
  o.CollapseThreads = 1;
  o.Quenmar32 = "C:\\Program Files\\Quenmar\\quenmar.exe";
  o.MailInMemory = 1;
  o.MailIniPos = 3;
  ASSERT_TRUE(settings::SaveOptionSettings(path, o));
  const std::string text = dir.ReadFile("Veltra.ini");
  EXPECT_NE(text.find("Quenmar32=C:\\Program Files\\Quenmar\\quenmar.exe\r\n"), std::string::npos);
  EXPECT_EQ(settings::LoadViewerSettings(path).Window.Width, 800);
  EXPECT_EQ(settings::LoadPropertySettings(path).TabInfo, 1)
      << "TabInfo is never written by the program";
  EXPECT_EQ(settings::LoadMainSettings(path).Property.MailInMemory, 1);
  EXPECT_EQ(settings::LoadMainSettings(path).Property.AccountTitle, 0)
      << "the options pass does not write the account";
  EXPECT_EQ(settings::LoadPropertySettings(path).MailIniPos, 3);
  EXPECT_EQ(settings::LoadPropertySettings(path).CollapseThreads, 1);
}

// "Section.Key" of every key line of an INI text, in file order.
std::vector<std::string> KeysInOrder(const std::string& text) {
  std::vector<std::string> keys;
  std::istringstream lines(text);
  std::string line;
  std::string section;
  while (std::getline(lines, line)) {
    if (line.starts_with("[")) section = line.substr(1, line.find(']') - 1);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) keys.push_back(section + "." + line.substr(0, equals));
  }
  return keys;
}

// Each write pass writes a fresh file's keys in the order the settings file's
// design lists them for that pass. Keys the program adds to the design
// (FontStyle, CollapseThreads) may sit anywhere and are left out.
TEST(Settings, EachWritePassWritesItsKeysInTheDesignedOrder) {
  const std::vector<std::string> kAdded = {"ListBox.FontStyle",     "ListView.FontStyle",
                                           "ViewWindow.FontStyle",  "Property.CollapseThreads",
                                           "Property.HideMuted",    "Property.CatchUpDays",
                                           "Property.MarkMutedRead"};
  struct Case {
    const char* pass;
    std::string written;
    std::vector<std::string> designed;
  };
  const Case cases[] = {
      {"viewer save",
       SavedText(settings::SaveViewerSettings, settings::ViewerSettings{}),
       {"ViewWindow.Width", "ViewWindow.Height", "ViewWindow.Top", "ViewWindow.Left",
        "ViewWindow.bMaximize", "ViewWindow.FontFace", "ViewWindow.FontSize", "ViewWindow.Color",
        "ViewWindow.BColor", "ViewWindow.LinkColor"}},
      {"main save",
       SavedText(settings::SaveMainSettings, settings::MainWindowSettings{}),
       {"Property.AccountTitle", "Property.Mailbox", "Property.BodySearch", "MainWindow.Width",
        "MainWindow.Height", "MainWindow.Top", "MainWindow.Left", "MainWindow.bMaximize",
        "ListBox.FontFace", "ListBox.FontSize", "ListBox.Color", "ListBox.BColor", "ListBox.Width",
        "ListView.FontFace", "ListView.FontSize", "ListView.Color", "ListView.BColor",
        "ListView.Column1"}},
      {"options dialog's write",
       SavedText(settings::SaveOptionSettings, settings::PropertySettings{}),
       {"Property.References", "Property.MailInMemory", "Property.MailIniPos",
        "Property.MidokuSearch", "Property.Subject", "Property.Quenmar32", "Property.ComplNkf"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> designed_keys;
    for (const std::string& key : KeysInOrder(c.written)) {
      if (std::find(kAdded.begin(), kAdded.end(), key) == kAdded.end())
        designed_keys.push_back(key);
    }
    EXPECT_EQ(designed_keys, c.designed) << c.pass;
  }
}

// The settings file stays beside the program where it can be written there,
// and else goes to the user's application data.
TEST(Settings, TheSettingsFileGoesToApplicationDataOnlyWhereItCannotBeWrittenBesideTheProgram) {
  using H = settings::SettingsHome;
  struct Case {
    settings::SettingsHomeFacts facts;  // exists, writable, folder writable
    H home;
    const char* reason;
  };
  const Case cases[] = {
      {{true, true, true}, H::kBesideProgram, "a zip unpacked into a folder of the user's"},
      {{true, true, false}, H::kBesideProgram, "the file is writable though the folder is not"},
      {{false, false, true}, H::kBesideProgram, "a first run in a writable folder makes it there"},
      {{false, false, false}, H::kUserAppData, "a first run under Program Files"},
      {{true, false, true}, H::kUserAppData, "a read-only file in a writable folder"},
      {{true, false, false}, H::kUserAppData, "a file beside a program under Program Files"},
  };
  for (const Case& c : cases) EXPECT_EQ(settings::ChooseSettingsHome(c.facts), c.home) << c.reason;
}

TEST(Settings, HexAndGarbledValuesReadAsTheFileMeansThem) {
  TempDir dir;
  const platform::SystemPath path = platform::SystemPath::FromCp932(dir.WriteFile(
      "Veltra.ini", "[LISTVIEW]\nColor=$80000008\nColumn1=wide\n[viewwindow]\nbMaximize=0x1\n"));
  const settings::MainWindowSettings m = settings::LoadMainSettings(path);
  EXPECT_EQ(m.ListView.Color, settings::kColorWindowText);
  EXPECT_EQ(m.Column1, settings::MainWindowSettings{}.Column1) << "not a number: the default";
  EXPECT_EQ(settings::LoadViewerSettings(path).Window.bMaximize, 1);
}

}  // namespace
