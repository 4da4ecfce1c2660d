#include "mailbox/accounts.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text_bytes.h"
#include "settings/ini_profile.h"

namespace mailbox {

namespace {

constexpr char kProperty[] = "Property";

// True when the last byte of `text` is the second byte of a double-byte
// character, found by walking the characters from the start.
bool LastByteIsTrailByte(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t width = platform::IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + width >= text.size()) return width == 2 && i + 1 == text.size() - 1;
    i += width;
  }
  return false;
}

void SelectAccount(AccountState& state) {
  const int count = static_cast<int>(state.AccountList.size());
  if (state.AccountIndex < 0 || state.AccountIndex >= count) state.AccountIndex = 0;
  state.AccountDir = count > 0 ? state.AccountList[state.AccountIndex].Directory : std::string();
}

}  // namespace

std::string ReadMailboxPathFromRegistry() {
  return platform::ReadCurrentUserString("Software\\DROVA\\Quenmar", "MailboxPath").value_or("");
}

std::vector<Account> EnumerateAccounts(const std::string& mailbox_dir) {
  std::vector<Account> accounts;
  // No mailbox (the first-run browse was cancelled): an empty folder name
  // would make every path below start at the root of the current drive.
  if (mailbox_dir.empty()) return accounts;
  for (const platform::DirEntry& e : platform::ListDirectory(mailbox_dir, "*.*")) {
    if (!e.is_directory) continue;
    const std::string dir = platform::JoinPath(mailbox_dir, e.name);
    const std::string ini_path = platform::JoinPath(dir, "Account.ini");
    if (!platform::FileExists(ini_path)) continue;
    accounts.push_back({settings::IniReader(ini_path).ReadString(kProperty, "Title", ""), dir});
    if (static_cast<int>(accounts.size()) == kAccountCapacity) break;
  }
  return accounts;
}

void ReadAccountName(AccountState& state) {
  if (state.AccountDir.empty()) {
    state.AccountIniPath.clear();
    state.AccountName.clear();
    return;
  }
  state.AccountIniPath = platform::JoinPath(state.AccountDir, "Account.ini");
  state.AccountName = settings::IniReader(state.AccountIniPath).ReadString(kProperty, "Title", "");
}

std::string CaptionText(const std::string& account_name) { return "[" + account_name + "] - Veltrano"; }

std::string MailboxDirFromClientDataDir(const std::string& data_dir) {
  if (data_dir.empty()) return data_dir;
  std::string dir = data_dir;
  if (dir.back() == platform::kPathDelimiter && !LastByteIsTrailByte(dir)) dir.pop_back();
  return platform::JoinPath(dir, "Mailbox");
}

bool AcceptableMailboxDir(const std::string& dir) {
  if (dir.size() < 7) return false;
  if (!platform::EqualsIgnoringAsciiCase(dir.substr(dir.size() - 7), "mailbox")) return false;
  return platform::FileExists(platform::JoinPath(dir, "Mailbox.ini"));
}

bool LocateMailbox(AccountState& state, const ReadRegistryFn& read_registry,
                   const BrowseForMailboxFn& browse) {
  bool keep_running = true;
  state.AccountDir.clear();
  if (state.MailboxDir.empty() && read_registry) {
    state.MailboxDir = MailboxDirFromClientDataDir(read_registry());
  }
  if (state.MailboxDir.empty()) {
    state.MailboxDir = browse ? browse("") : std::string();
    keep_running = !state.MailboxDir.empty();
  }
  state.AccountList = EnumerateAccounts(state.MailboxDir);
  SelectAccount(state);
  return keep_running;
}

bool ChangeMailbox(AccountState& state, const std::string& chosen_dir) {
  if (chosen_dir.empty() || platform::EqualsIgnoringAsciiCase(chosen_dir, state.MailboxDir))
    return false;
  state.MailboxDir = chosen_dir;
  state.AccountIndex = 0;
  state.AccountList = EnumerateAccounts(state.MailboxDir);
  SelectAccount(state);
  ReadAccountName(state);
  return true;
}

bool SwitchAccount(AccountState& state, int index) {
  if (index == state.AccountIndex) return false;
  state.AccountIndex = index;
  SelectAccount(state);
  ReadAccountName(state);
  return true;
}

}  // namespace mailbox
