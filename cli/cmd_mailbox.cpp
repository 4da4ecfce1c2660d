// veltrano-cli accounts / folders: the accounts of a mailbox and the folder
// table of one account, one record per line, fields separated by TAB.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "mailbox/accounts.h"
#include "mailbox/folder_discovery.h"
#include "platform/files.h"
#include "settings/ini_profile.h"

namespace {

int AccountsUsage() {
  std::fprintf(stderr, "usage: veltrano-cli accounts MAILBOX_DIR\n");
  return 2;
}

int FoldersUsage() {
  std::fprintf(stderr, "usage: veltrano-cli folders [--account N] [--midoku] MAILBOX_DIR\n");
  return 2;
}

void Write(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// The folder's directory relative to the account directory, "/" between
// components.
std::string RelativeFolderPath(const std::string& account_dir, const std::string& path) {
  std::string rel = path;
  if (path.size() > account_dir.size() && path.compare(0, account_dir.size(), account_dir) == 0 &&
      path[account_dir.size()] == platform::kPathDelimiter) {
    rel = path.substr(account_dir.size() + 1);
  }
  for (char& c : rel) {
    if (c == platform::kPathDelimiter) c = '/';
  }
  return rel;
}

}  // namespace

int RunAccountsCommand(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') return AccountsUsage();
  const auto accounts = mailbox::EnumerateAccounts(argv[1]);
  for (std::size_t i = 0; i < accounts.size(); ++i) {
    Write(std::to_string(i) + "\t" + accounts[i].Title + "\t" + accounts[i].Directory + "\n");
  }
  return 0;
}

int RunFoldersCommand(int argc, char** argv) {
  mailbox::AccountState state;
  mailbox::DiscoveryOptions options;
  std::string mailbox_dir;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--account" && i + 1 < argc) {
      std::int32_t n = 0;
      if (!settings::ParseInteger(argv[++i], n)) return FoldersUsage();
      state.AccountIndex = n;
    } else if (arg == "--midoku") {
      options.MidokuSearch = 1;
    } else if (!arg.empty() && arg[0] != '-' && mailbox_dir.empty()) {
      mailbox_dir = arg;
    } else {
      return FoldersUsage();
    }
  }
  if (mailbox_dir.empty()) return FoldersUsage();

  state.MailboxDir = mailbox_dir;
  mailbox::LocateMailbox(state, nullptr, nullptr);
  if (state.AccountDir.empty()) return 0;

  auto table = std::make_unique<mailbox::FolderTable>();
  mailbox::DiscoverFolders(state.AccountDir, options, *table);
  const int count = mailbox::FolderCount(*table);
  for (int i = 0; i < count; ++i) {
    const mailbox::FolderInfo& f = (*table)[i];
    Write(std::to_string(i) + "\t" + std::to_string(f.Kind) + "\t" + std::to_string(f.Depth) + "\t" +
          std::to_string(f.Total) + "\t" + std::to_string(f.Unread) + "\t" +
          std::to_string(f.TabInfo) + "\t" + std::to_string(f.MlStringDelete) + "\t" + f.Title +
          "\t" + RelativeFolderPath(state.AccountDir, f.Path) + "\n");
  }
  return 0;
}
