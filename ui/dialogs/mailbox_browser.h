#pragma once
// BrowseForMailbox: the shell's folder-browse dialog for choosing the mail
// client's mailbox root. Its OK button is enabled only for a directory that
// looks like a mailbox (mailbox::AcceptableMailboxDir: the name ends in
// "mailbox", any letter case, and "Mailbox.ini" is in it).

#include <windows.h>

#include <string>

namespace ui {

// Shows the dialog owned by `owner`, rooted at the desktop, with the
// directory `initial_dir` (CP932; may be empty) selected. Returns the chosen
// directory, or an empty string when the user cancelled.
std::string BrowseForMailbox(HWND owner, const std::string& initial_dir);

// The dialog's callback (BFFCALLBACK); `data` points to the initial
// directory as a wide string. Declared here for the tests.
int CALLBACK MailboxBrowseCallback(HWND dialog, UINT message, LPARAM lparam, LPARAM data) noexcept;

}  // namespace ui
