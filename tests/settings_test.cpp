#include "settings/settings.h"

#include <gtest/gtest.h>

#include "settings/ini_profile.h"
#include "tests/temp_dir_support.h"

namespace {

using testing_support::TempDir;

TEST(Settings, MissingFileGivesEveryDefault) {
  TempDir dir;
  const std::string path = settings::SettingsPath(dir.path());
  const settings::MainWindowSettings m = settings::LoadMainSettings(path);
  EXPECT_EQ(m.MainWindow.Width, 631);
  EXPECT_EQ(m.MainWindow.Height, 396);
  EXPECT_EQ(m.MainWindow.Top, 1);
  EXPECT_EQ(m.MainWindow.Left, 1);
  EXPECT_EQ(m.ListBox.FontFace, "Terminal");
  EXPECT_EQ(m.ListView.FontSize, 10);
  EXPECT_EQ(m.ListBox.Color, settings::kColorWindowText);
  EXPECT_EQ(m.ListView.BColor, settings::kColorWindow);
  EXPECT_EQ(m.ListBoxWidth, 150);
  EXPECT_EQ(m.Column1, 333);
  EXPECT_EQ(m.Property.Mailbox, "");
  EXPECT_EQ(m.ListView.FontStyle, 0) << "a file from before styles reads as regular";
  const settings::PropertySettings p = settings::LoadPropertySettings(path);
  EXPECT_EQ(p.MailIniPos, 1);
  EXPECT_EQ(p.References + p.Subject + p.MidokuSearch + p.ComplNkf + p.TabInfo, 0);
  const settings::ViewerSettings v = settings::LoadViewerSettings(path);
  EXPECT_EQ(v.LinkColor, 255);
  EXPECT_EQ(v.FontFace, "Terminal");
  const settings::PropertySettings o = settings::LoadOptionSettings(path);
  EXPECT_EQ(o.MailIniPos, 1);
  EXPECT_EQ(o.Quenmar32, "");
  EXPECT_EQ(o.CollapseThreads, 0);
}

TEST(Settings, SavePassesWriteColoursSignedAndStringsQuotedAsTheClientExpects) {
  TempDir dir;
  const std::string path = settings::SettingsPath(dir.path());
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
  const std::string path = dir.WriteFile("Veltra.ini", "[ViewWindow]\r\nWidth=800\r\n[Property]\r\nTabInfo=1\r\n");
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

TEST(Settings, HexAndGarbledValuesReadAsTheFileMeansThem) {
  TempDir dir;
  const std::string path = dir.WriteFile(
      "Veltra.ini", "[LISTVIEW]\nColor=$80000008\nColumn1=wide\n[viewwindow]\nbMaximize=0x1\n");
  const settings::MainWindowSettings m = settings::LoadMainSettings(path);
  EXPECT_EQ(m.ListView.Color, settings::kColorWindowText);
  EXPECT_EQ(m.Column1, 333);
  EXPECT_EQ(settings::LoadViewerSettings(path).Window.bMaximize, 1);
}

}  // namespace
