#pragma once
// The mail client's mailbox root, its accounts and the current account, as
// plain state and transitions; the windows (caption, account menu, browse
// dialog) only show what these produce.

#include <functional>
#include <string>
#include <vector>

namespace mailbox {

inline constexpr int kAccountCapacity = 99;

struct Account {
  std::string Title;      // [Property] Title of its Account.ini (may be empty)
  std::string Directory;  // MailboxDir + delimiter + directory name
};

struct AccountState {
  std::string MailboxDir;
  std::vector<Account> AccountList;  // at most 99, in the file system's order
  int AccountIndex = 0;
  std::string AccountDir;
  std::string AccountIniPath;
  std::string AccountName;
};

// Shows the folder-browse dialog starting at the given directory; returns the
// chosen directory or an empty string when the user cancels.
using BrowseForMailboxFn = std::function<std::string(const std::string& initial_dir)>;
// Reads the registry value that names the mail client's data directory.
using ReadRegistryFn = std::function<std::string()>;

// The default registry reader: "MailboxPath" under "Software\DROVA\Quenmar".
std::string ReadMailboxPathFromRegistry();

// Accounts of a mailbox root: its sub-directories holding a plain file
// "Account.ini", in listing order, at most 99.
std::vector<Account> EnumerateAccounts(const std::string& mailbox_dir);

// Sets AccountIniPath and AccountName from AccountDir.
void ReadAccountName(AccountState& state);

// "[" + name + "] - Veltrano".
std::string CaptionText(const std::string& account_name);

// The registry value turned into a mailbox root: one trailing delimiter removed
// (a "\" that is the second byte of a Shift-JIS character is no delimiter),
// then the subdirectory "Mailbox".
// Empty stays empty.
std::string MailboxDirFromClientDataDir(const std::string& data_dir);

// The browse dialog's OK rule: at least 7 characters, the last 7 equal
// "mailbox" ignoring case, and "Mailbox.ini" is a plain file in it.
bool AcceptableMailboxDir(const std::string& dir);

// Start-up: MailboxDir from the settings, else the registry, else the browse
// dialog. Returns false when the user left the dialog without a directory (the
// program is then to close); the state is filled in either case.
bool LocateMailbox(AccountState& state, const ReadRegistryFn& read_registry,
                   const BrowseForMailboxFn& browse);

// Choosing another mailbox root. Returns true when the mailbox changed (the
// caller then releases thread lists, discovers folders and refills the list):
// the first account is selected. An empty choice or the same directory
// (ignoring case) changes nothing.
bool ChangeMailbox(AccountState& state, const std::string& chosen_dir);

// Clicking account menu item `index`. Returns true when the account changed
// (the caller then releases thread lists, discovers folders, refills).
bool SwitchAccount(AccountState& state, int index);

}  // namespace mailbox
