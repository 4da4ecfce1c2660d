#pragma once
// Builds the folder table of an account from the mail client's folder
// descriptions ("Account.ini", each folder's "Entry.ini") and refreshes single
// records from disk.

#include <functional>
#include <optional>
#include <string>

#include "mailbox/folder_table.h"

namespace mailbox {

// The folder's own display settings from its "VLTR.fol".
struct FolderDisplaySettings {
  int TabInfo = 0;
  int MlStringDelete = 0;
  bool HasMutes = false;  // the file has a section of muted threads
};

// The section of "VLTR.fol" that holds the folder's muted threads
// (thread/mute_list.h).
inline constexpr char kMuteSection[] = "Mute";

struct DiscoveryOptions {
  int MidokuSearch = 0;    // 1: read each folder's unread count at discovery
  int TabInfoDefault = 0;  // TabInfo of a folder whose "VLTR.fol" has none
  // A folder's display settings known already, by folder directory (the
  // start-up's read-ahead, or a caller that needs no display settings); none:
  // read its "VLTR.fol".
  std::function<std::optional<FolderDisplaySettings>(const std::string& folder_path)>
      KnownDisplaySettings;
};

// Highest user folder number examined ("User999.box" is a folder the mail
// client can create, so the scan includes it).
inline constexpr int kMaxUserFolderNumber = 999;

// Rebuilds the table for `account_dir`. The caller has released every thread
// list the records held.
void DiscoverFolders(const std::string& account_dir, const DiscoveryOptions& options,
                     FolderTable& table);

// Fills record `index` from the folder directory; an empty title is read from
// the folder's "Entry.ini". Returns the record's Kind.
FolderKind AddFolder(FolderTable& table, int index, const std::string& path, int depth,
                     const std::string& title, const DiscoveryOptions& options);

// Re-reads the record's title (unless `title` is given), kind, total and
// unread count from the folder's "Entry.ini", as opening a folder does so that
// a changed message count is seen. TabInfo and MlStringDelete keep the values
// read from "VLTR.fol" at discovery or after the folder-properties dialog (0
// for a container): under Wine, opening a missing "VLTR.fol" in a folder of
// 100,000 message files costs a case-insensitive scan of the whole directory,
// measured at 41 ms.
void RefreshFolderEntry(FolderInfo& folder, const std::string& title,
                        const DiscoveryOptions& options);

// UnOpen of the folder's "Entry.ini", 0 when that file does not exist.
int ReadUnreadCount(const FolderInfo& folder);

FolderDisplaySettings ReadFolderDisplaySettings(const std::string& folder_path,
                                                int tab_info_default);
// Writes both keys to the folder's "VLTR.fol" (creating it); false when the
// file could not be replaced.
bool WriteFolderDisplaySettings(const std::string& folder_path, const FolderDisplaySettings& s);

}  // namespace mailbox
