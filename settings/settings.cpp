#include "settings/settings.h"

#include "platform/files.h"
#include "settings/ini_profile.h"

namespace settings {

namespace {

constexpr char kProperty[] = "Property";
constexpr char kMainWindow[] = "MainWindow";
constexpr char kListBox[] = "ListBox";
constexpr char kListView[] = "ListView";
constexpr char kViewWindow[] = "ViewWindow";

WindowBounds ReadBounds(const settings::IniReader& in, const char* section) {
  WindowBounds b;
  b.Width = in.ReadInteger(section, "Width", b.Width);
  b.Height = in.ReadInteger(section, "Height", b.Height);
  b.Top = in.ReadInteger(section, "Top", b.Top);
  b.Left = in.ReadInteger(section, "Left", b.Left);
  b.bMaximize = in.ReadInteger(section, "bMaximize", b.bMaximize);
  return b;
}

void WriteBounds(settings::IniWriter& out, const char* section, const WindowBounds& b) {
  out.WriteInteger(section, "Width", b.Width);
  out.WriteInteger(section, "Height", b.Height);
  out.WriteInteger(section, "Top", b.Top);
  out.WriteInteger(section, "Left", b.Left);
  out.WriteInteger(section, "bMaximize", b.bMaximize);
}

ListFontSettings ReadListFont(const settings::IniReader& in, const char* section) {
  ListFontSettings f;
  f.FontFace = in.ReadString(section, "FontFace", f.FontFace);
  f.FontSize = in.ReadInteger(section, "FontSize", f.FontSize);
  f.FontStyle = in.ReadInteger(section, "FontStyle", f.FontStyle);
  f.Color = in.ReadInteger(section, "Color", f.Color);
  f.BColor = in.ReadInteger(section, "BColor", f.BColor);
  return f;
}

void WriteListFont(settings::IniWriter& out, const char* section, const ListFontSettings& f) {
  out.WriteQuotedString(section, "FontFace", f.FontFace);
  out.WriteInteger(section, "FontSize", f.FontSize);
  out.WriteInteger(section, "FontStyle", f.FontStyle);
  out.WriteInteger(section, "Color", f.Color);
  out.WriteInteger(section, "BColor", f.BColor);
}

}  // namespace

std::string SettingsPath(const std::string& exe_dir) {
  return platform::JoinPath(exe_dir, kSettingsFileName);
}

ViewerSettings LoadViewerSettings(const std::string& path) {
  const settings::IniReader in(path);
  ViewerSettings s;
  s.Window = ReadBounds(in, kViewWindow);
  s.FontFace = in.ReadString(kViewWindow, "FontFace", s.FontFace);
  s.FontSize = in.ReadInteger(kViewWindow, "FontSize", s.FontSize);
  s.FontStyle = in.ReadInteger(kViewWindow, "FontStyle", s.FontStyle);
  s.Color = in.ReadInteger(kViewWindow, "Color", s.Color);
  s.BColor = in.ReadInteger(kViewWindow, "BColor", s.BColor);
  s.LinkColor = in.ReadInteger(kViewWindow, "LinkColor", s.LinkColor);
  return s;
}

bool SaveViewerSettings(const std::string& path, const ViewerSettings& s) {
  settings::IniWriter out(path);
  WriteBounds(out, kViewWindow, s.Window);
  out.WriteQuotedString(kViewWindow, "FontFace", s.FontFace);
  out.WriteInteger(kViewWindow, "FontSize", s.FontSize);
  out.WriteInteger(kViewWindow, "FontStyle", s.FontStyle);
  out.WriteInteger(kViewWindow, "Color", s.Color);
  out.WriteInteger(kViewWindow, "BColor", s.BColor);
  out.WriteInteger(kViewWindow, "LinkColor", s.LinkColor);
  return out.Commit();
}

MainWindowSettings LoadMainSettings(const std::string& path) {
  const settings::IniReader in(path);
  MainWindowSettings s;
  s.MailInMemory = in.ReadInteger(kProperty, "MailInMemory", s.MailInMemory);
  s.AccountTitle = in.ReadInteger(kProperty, "AccountTitle", s.AccountTitle);
  s.Mailbox = in.ReadString(kProperty, "Mailbox", s.Mailbox);
  s.MainWindow = ReadBounds(in, kMainWindow);
  s.ListBox = ReadListFont(in, kListBox);
  s.ListBoxWidth = in.ReadInteger(kListBox, "Width", s.ListBoxWidth);
  s.ListView = ReadListFont(in, kListView);
  s.Column1 = in.ReadInteger(kListView, "Column1", s.Column1);
  return s;
}

bool SaveMainSettings(const std::string& path, const MainWindowSettings& s) {
  settings::IniWriter out(path);
  out.WriteInteger(kProperty, "AccountTitle", s.AccountTitle);
  out.WriteQuotedString(kProperty, "Mailbox", s.Mailbox);
  WriteBounds(out, kMainWindow, s.MainWindow);
  WriteListFont(out, kListBox, s.ListBox);
  out.WriteInteger(kListBox, "Width", s.ListBoxWidth);
  WriteListFont(out, kListView, s.ListView);
  out.WriteInteger(kListView, "Column1", s.Column1);
  return out.Commit();
}

PropertySettings LoadPropertySettings(const std::string& path) {
  const settings::IniReader in(path);
  PropertySettings s;
  s.TabInfo = in.ReadInteger(kProperty, "TabInfo", s.TabInfo);
  s.References = in.ReadInteger(kProperty, "References", s.References);
  s.MailIniPos = in.ReadInteger(kProperty, "MailIniPos", s.MailIniPos);
  s.MidokuSearch = in.ReadInteger(kProperty, "MidokuSearch", s.MidokuSearch);
  s.Subject = in.ReadInteger(kProperty, "Subject", s.Subject);
  s.Quenmar32 = in.ReadString(kProperty, "Quenmar32", s.Quenmar32);
  s.ComplNkf = in.ReadInteger(kProperty, "ComplNkf", s.ComplNkf);
  return s;
}

OptionSettings LoadOptionSettings(const std::string& path) {
  const settings::IniReader in(path);
  OptionSettings s;
  s.References = in.ReadInteger(kProperty, "References", s.References);
  s.MailInMemory = in.ReadInteger(kProperty, "MailInMemory", s.MailInMemory);
  s.MailIniPos = in.ReadInteger(kProperty, "MailIniPos", s.MailIniPos);
  s.MidokuSearch = in.ReadInteger(kProperty, "MidokuSearch", s.MidokuSearch);
  s.Subject = in.ReadInteger(kProperty, "Subject", s.Subject);
  s.Quenmar32 = in.ReadString(kProperty, "Quenmar32", s.Quenmar32);
  s.ComplNkf = in.ReadInteger(kProperty, "ComplNkf", s.ComplNkf);
  return s;
}

bool SaveOptionSettings(const std::string& path, const OptionSettings& s) {
  settings::IniWriter out(path);
  out.WriteInteger(kProperty, "References", s.References);
  out.WriteInteger(kProperty, "MailInMemory", s.MailInMemory);
  out.WriteInteger(kProperty, "MailIniPos", s.MailIniPos);
  out.WriteInteger(kProperty, "MidokuSearch", s.MidokuSearch);
  out.WriteInteger(kProperty, "Subject", s.Subject);
  out.WriteString(kProperty, "Quenmar32", s.Quenmar32);
  out.WriteInteger(kProperty, "ComplNkf", s.ComplNkf);
  return out.Commit();
}

}  // namespace settings
