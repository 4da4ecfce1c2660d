#include "mailbox/folder_discovery.h"

#include <cstdio>
#include <string_view>

#include "mailbox/client_files.h"
#include "mailbox/ja_texts.h"
#include "platform/files.h"
#include "settings/ini_profile.h"

namespace mailbox {

namespace {

constexpr char kProperty[] = "Property";

struct Discovery {
  FolderTable& table;
  const DiscoveryOptions& options;
  std::string account_dir;
  int count = 0;  // records filled so far

  bool Full() const { return count >= kFolderCapacity; }

  FolderKind Add(const std::string& path, int depth, const std::string& title) {
    return AddFolder(table, count++, path, depth, title, options);
  }

  // Adds a numbered user folder and, for a container, its children.
  void AddUserFolder(const std::string& path, int depth) {
    if (Add(path, depth, "") == kFolderContainer) {
      ScanFolderLevel(path, depth + 1, kEntryIni);
    }
  }

  void ScanFolderLevel(const std::string& dir, int depth, const char* ini_name);
  void ScanByNumber(const std::string& dir, int depth);
  void WalkOrder(const std::string& dir, int depth, std::string_view order);
};

std::string UserFolderName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "User%03d.box", number);
  return name;
}

void Discovery::ScanFolderLevel(const std::string& dir, int depth, const char* ini_name) {
  const std::string order =
      settings::IniReader(platform::JoinPath(dir, ini_name)).ReadString(kProperty, "Order", "");
  if (order.empty()) {
    ScanByNumber(dir, depth);
  } else {
    WalkOrder(dir, depth, order);
  }
}

void Discovery::ScanByNumber(const std::string& dir, int depth) {
  // Directories named like user folders; ones without a three-digit number
  // count here but are never found below, so the scan then runs to the limit.
  int remaining = 0;
  for (const platform::DirEntry& e : platform::ListDirectory(dir, "User*.box")) {
    if (e.is_directory) ++remaining;
  }
  for (int number = 1; number <= kMaxUserFolderNumber && remaining > 0 && !Full(); ++number) {
    const std::string path = platform::JoinPath(dir, UserFolderName(number));
    if (!platform::DirectoryExists(path)) continue;
    if (!platform::FileExists(platform::JoinPath(path, kEntryIni))) continue;
    AddUserFolder(path, depth);
    --remaining;
  }
}

void Discovery::WalkOrder(const std::string& dir, int depth, std::string_view order) {
  // The order ends at its end or at the first "*".
  order = order.substr(0, order.find('*'));
  std::size_t i = 0;
  while (i < order.size() && !Full()) {
    const char code = order[i];
    if (code == 'I' || code == 'O') {
      const bool inbox = code == 'I';
      Add(platform::JoinPath(account_dir, inbox ? "Inbox.box" : "Outbox.box"), 0,
          inbox ? ja::kInboxTitle : ja::kOutboxTitle);
      ++i;
      continue;
    }
    if (code == 'T') {
      ++i;
      continue;
    }
    if (i + 3 > order.size()) break;  // a three-character code running past the end
    const std::string_view digits = order.substr(i, 3);
    i += 3;
    std::int32_t number = 0;
    if (!settings::ParseInteger(digits, number) ||
        digits.find_first_of("$xX") != std::string_view::npos) {
      continue;  // not a decimal number
    }
    if (number < 0 || number > 999) continue;
    const std::string path = platform::JoinPath(dir, UserFolderName(number));
    if (platform::FileExists(platform::JoinPath(path, kEntryIni))) AddUserFolder(path, depth);
  }
}

}  // namespace

void DiscoverFolders(const std::string& account_dir, const DiscoveryOptions& options,
                     FolderTable& table) {
  for (FolderInfo& f : table) {
    f.Kind = kFolderEmpty;
    f.Unread = 0;
    f.SelectedIndex = -1;
    f.Threads = nullptr;
  }
  Discovery d{table, options, account_dir};
  const std::string order = settings::IniReader(platform::JoinPath(account_dir, "Account.ini"))
                                .ReadString(kProperty, "Order", "");
  if (order.empty()) {
    d.Add(platform::JoinPath(account_dir, "Inbox.box"), 0, ja::kInboxTitle);
    d.Add(platform::JoinPath(account_dir, "Outbox.box"), 0, ja::kOutboxTitle);
  }
  d.ScanFolderLevel(account_dir, 0, "Account.ini");
}

FolderKind AddFolder(FolderTable& table, int index, const std::string& path, int depth,
                     const std::string& title, const DiscoveryOptions& options) {
  FolderInfo& f = table[index];
  f.Depth = depth;
  f.Path = path;
  RefreshFolderEntry(f, title, options);
  if (f.Kind != kFolderContainer) {
    std::optional<FolderDisplaySettings> known;
    if (options.KnownDisplaySettings) known = options.KnownDisplaySettings(path);
    const FolderDisplaySettings s =
        known ? *known : ReadFolderDisplaySettings(path, options.TabInfoDefault);
    f.TabInfo = s.TabInfo;
    f.MlStringDelete = s.MlStringDelete;
    f.HasMutes = s.HasMutes;
  }
  return static_cast<FolderKind>(f.Kind);
}

void RefreshFolderEntry(FolderInfo& f, const std::string& title, const DiscoveryOptions& options) {
  const settings::IniReader entry(platform::JoinPath(f.Path, kEntryIni));
  f.Title = title.empty() ? entry.ReadString(kProperty, "Title", "") : title;
  f.Kind = entry.ReadString(kProperty, "Type", "") == "Subfolder" ? kFolderContainer : kFolderMail;
  f.Total = entry.ReadInteger(kProperty, "Total", 0);
  if (f.Kind != kFolderContainer && options.MidokuSearch == 1) f.Unread = ReadUnreadCount(f);
  if (f.Kind == kFolderContainer) {
    f.TabInfo = 0;
    f.MlStringDelete = 0;
  }
}

int ReadUnreadCount(const FolderInfo& folder) {
  const std::string path = platform::JoinPath(folder.Path, kEntryIni);
  if (!platform::FileExists(path)) return 0;
  return settings::IniReader(path).ReadInteger(kProperty, "UnOpen", 0);
}

FolderDisplaySettings ReadFolderDisplaySettings(const std::string& folder_path,
                                                int tab_info_default) {
  const settings::IniReader in(platform::JoinPath(folder_path, "VLTR.fol"));
  FolderDisplaySettings s;
  s.TabInfo = in.ReadInteger(kProperty, "TabInfo", tab_info_default);
  s.MlStringDelete = in.ReadInteger(kProperty, "MlStringDelete", 0);
  s.HasMutes = in.Text().HasSection(kMuteSection);
  return s;
}

bool WriteFolderDisplaySettings(const std::string& folder_path, const FolderDisplaySettings& s) {
  settings::IniWriter out(platform::JoinPath(folder_path, "VLTR.fol"));
  out.WriteInteger(kProperty, "TabInfo", s.TabInfo);
  out.WriteInteger(kProperty, "MlStringDelete", s.MlStringDelete);
  return out.Commit();
}

}  // namespace mailbox
