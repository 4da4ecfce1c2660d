#include "settings/settings.h"

#include "settings/ini_profile.h"

namespace settings {

namespace {

constexpr char kProperty[] = "Property";
constexpr char kMainWindow[] = "MainWindow";
constexpr char kListBox[] = "ListBox";
constexpr char kListView[] = "ListView";
constexpr char kViewWindow[] = "ViewWindow";

// The passes a key belongs to. A section whose keys all go through every pass
// of their struct uses kEvery.
enum Pass : unsigned {
  kMainLoad = 1u << 0,
  kMainSave = 1u << 1,
  kPropertyLoad = 1u << 2,
  kOptions = 1u << 3,  // the options dialog's read and write passes
  kEvery = ~0u,
};

// One key of a section: its name, the field of the settings struct S that
// holds it (integer or string; the field's initialiser is the default), and
// the passes that read or write it. Keys are read and written in table order.
template <typename S>
struct Key {
  const char* name;
  std::int32_t S::*integer = nullptr;
  std::string S::*text = nullptr;
  bool quoted = false;  // strings the client's tools expect in double quotes
  unsigned passes = kEvery;
};

template <typename S>
Key<S> Integer(const char* name, std::int32_t S::*field, unsigned passes = kEvery) {
  return {name, field, nullptr, false, passes};
}
template <typename S>
Key<S> Text(const char* name, std::string S::*field, bool quoted, unsigned passes = kEvery) {
  return {name, nullptr, field, quoted, passes};
}

using P = PropertySettings;
// One order that is each pass's own: the options passes take References
// before MailInMemory, the main load MailInMemory before the account.
const Key<P> kPropertyKeys[] = {
    Integer("TabInfo", &P::TabInfo, kPropertyLoad),
    Integer("References", &P::References, kPropertyLoad | kOptions),
    Integer("MailInMemory", &P::MailInMemory, kMainLoad | kOptions),
    Integer("AccountTitle", &P::AccountTitle, kMainLoad | kMainSave),
    Text("Mailbox", &P::Mailbox, true, kMainLoad | kMainSave),
    Integer("MailIniPos", &P::MailIniPos, kPropertyLoad | kOptions),
    Integer("MidokuSearch", &P::MidokuSearch, kPropertyLoad | kOptions),
    Integer("Subject", &P::Subject, kPropertyLoad | kOptions),
    Text("Quenmar32", &P::Quenmar32, false, kPropertyLoad | kOptions),
    Integer("ComplNkf", &P::ComplNkf, kPropertyLoad | kOptions),
    Integer("CollapseThreads", &P::CollapseThreads, kPropertyLoad | kOptions),
    Integer("MarkMutedRead", &P::MarkMutedRead, kPropertyLoad | kOptions),
    Integer("BodySearch", &P::BodySearch, kMainLoad | kMainSave),
    Integer("HideMuted", &P::HideMuted, kMainLoad | kMainSave),
    Integer("CatchUpDays", &P::CatchUpDays, kMainLoad | kMainSave),
};

using B = WindowBounds;
const Key<B> kBoundsKeys[] = {
    Integer("Width", &B::Width), Integer("Height", &B::Height),       Integer("Top", &B::Top),
    Integer("Left", &B::Left),   Integer("bMaximize", &B::bMaximize),
};

using F = ListFontSettings;
const Key<F> kListFontKeys[] = {
    Text("FontFace", &F::FontFace, true), Integer("FontSize", &F::FontSize),
    Integer("Color", &F::Color),          Integer("BColor", &F::BColor),
    Integer("FontStyle", &F::FontStyle),
};

using M = MainWindowSettings;
const Key<M> kListBoxKeys[] = {Integer("Width", &M::ListBoxWidth)};
const Key<M> kListViewKeys[] = {Integer("Column1", &M::Column1)};

using V = ViewerSettings;
const Key<V> kViewerKeys[] = {
    Text("FontFace", &V::FontFace, true), Integer("FontSize", &V::FontSize),
    Integer("Color", &V::Color),          Integer("BColor", &V::BColor),
    Integer("LinkColor", &V::LinkColor),  Integer("FontStyle", &V::FontStyle),
};

template <typename S, std::size_t N>
void ReadKeys(const IniReader& in, const char* section, const Key<S> (&keys)[N], unsigned pass,
              S& values) {
  for (const Key<S>& key : keys) {
    if ((key.passes & pass) == 0) continue;
    if (key.integer) {
      values.*key.integer = in.ReadInteger(section, key.name, values.*key.integer);
    } else {
      values.*key.text = in.ReadString(section, key.name, values.*key.text);
    }
  }
}

template <typename S, std::size_t N>
void WriteKeys(IniWriter& out, const char* section, const Key<S> (&keys)[N], unsigned pass,
               const S& values) {
  for (const Key<S>& key : keys) {
    if ((key.passes & pass) == 0) continue;
    if (key.integer) {
      out.WriteInteger(section, key.name, values.*key.integer);
    } else if (key.quoted) {
      out.WriteQuotedString(section, key.name, values.*key.text);
    } else {
      out.WriteString(section, key.name, values.*key.text);
    }
  }
}

// The sections of the main passes in file order: visit(section, keys, values)
// for each, `values` being the part of `s` (const or not) the keys belong to.
template <typename Settings, typename Visit>
void ForMainSections(Settings& s, Visit&& visit) {
  visit(kProperty, kPropertyKeys, s.Property);
  visit(kMainWindow, kBoundsKeys, s.MainWindow);
  visit(kListBox, kListFontKeys, s.ListBox);
  visit(kListBox, kListBoxKeys, s);
  visit(kListView, kListFontKeys, s.ListView);
  visit(kListView, kListViewKeys, s);
}

}  // namespace

platform::SystemPath SettingsPath(const platform::SystemPath& folder) {
  return folder.Join(kSettingsFileName);
}

SettingsHome ChooseSettingsHome(const SettingsHomeFacts& facts) {
  const bool beside = facts.BesideExists ? facts.BesideWritable : facts.FolderWritable;
  return beside ? SettingsHome::kBesideProgram : SettingsHome::kUserAppData;
}

ViewerSettings LoadViewerSettings(const platform::SystemPath& path) {
  const IniReader in(path);
  ViewerSettings s;
  ReadKeys(in, kViewWindow, kBoundsKeys, kEvery, s.Window);
  ReadKeys(in, kViewWindow, kViewerKeys, kEvery, s);
  return s;
}

bool SaveViewerSettings(const platform::SystemPath& path, const ViewerSettings& s) {
  IniWriter out(path);
  WriteKeys(out, kViewWindow, kBoundsKeys, kEvery, s.Window);
  WriteKeys(out, kViewWindow, kViewerKeys, kEvery, s);
  return out.Commit();
}

MainWindowSettings LoadMainSettings(const platform::SystemPath& path) {
  const IniReader in(path);
  MainWindowSettings s;
  ForMainSections(s, [&](const char* section, const auto& keys, auto& values) {
    ReadKeys(in, section, keys, kMainLoad, values);
  });
  return s;
}

bool SaveMainSettings(const platform::SystemPath& path, const MainWindowSettings& s) {
  IniWriter out(path);
  ForMainSections(s, [&](const char* section, const auto& keys, const auto& values) {
    WriteKeys(out, section, keys, kMainSave, values);
  });
  return out.Commit();
}

PropertySettings LoadPropertySettings(const platform::SystemPath& path) {
  PropertySettings s;
  ReadKeys(IniReader(path), kProperty, kPropertyKeys, kPropertyLoad, s);
  return s;
}

PropertySettings LoadOptionSettings(const platform::SystemPath& path) {
  PropertySettings s;
  ReadKeys(IniReader(path), kProperty, kPropertyKeys, kOptions, s);
  return s;
}

bool SaveOptionSettings(const platform::SystemPath& path, const PropertySettings& s) {
  IniWriter out(path);
  WriteKeys(out, kProperty, kPropertyKeys, kOptions, s);
  return out.Commit();
}

}  // namespace settings
