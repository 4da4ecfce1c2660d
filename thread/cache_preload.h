#pragma once
// The folder the start-up opens first, read through its cache on a thread of
// its own while the windows are being made: under Wine, reading and
// reconciling the cache of a 100,000-message folder takes about as long as
// making the windows, so the two together take the time of one.
//
// The start folder's "VLTR.fol" is read ahead too: under Wine, looking for a
// missing file in a folder of 100,000 files scans the whole directory (about
// 40 ms), and no other file of the process can be opened meanwhile.
//
// The thread only reads files. What it made is used only when the start-up
// opens the very folder it read, with the same message count; otherwise it
// is thrown away and the folder is opened as always.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "mailbox/accounts.h"
#include "mailbox/folder_discovery.h"
#include "platform/system_path.h"
#include "thread/thread_cache.h"

namespace thread {

// Folder 0 of the account the settings file names, found as the start-up
// finds it but without asking (no browse dialog) and without reading display
// settings. None when the mailbox or the folder is not found without asking.
std::optional<FolderSource> FindStartFolder(const platform::SystemPath& settings_path,
                                            const mailbox::ReadRegistryFn& read_registry);

class CachePreload {
 public:
  // Starts the thread, which finds the start folder and opens its cache.
  CachePreload(platform::SystemPath settings_path, mailbox::ReadRegistryFn read_registry);
  ~CachePreload();  // waits for the thread
  CachePreload(const CachePreload&) = delete;
  CachePreload& operator=(const CachePreload&) = delete;

  // The display settings of `folder_path` ("VLTR.fol", read with
  // `tab_info_default`) when they were read ahead for that folder with that
  // default; waits for them. None otherwise: read the file.
  std::optional<mailbox::FolderDisplaySettings> DisplaySettings(const std::string& folder_path,
                                                                int tab_info_default);

  // Waits for the thread, calling `pump` every few milliseconds meanwhile so
  // that the windows stay painted. The opening when it was made for `folder`
  // (the same directory and Total), else none. Gives it out once.
  std::optional<CacheOpening> Take(const FolderSource& folder, const std::function<void()>& pump);

 private:
  void Run(const platform::SystemPath& settings_path, const mailbox::ReadRegistryFn& read_registry);

  std::optional<FolderSource> source_;
  std::optional<CacheOpening> opening_;
  int tab_info_default_ = 0;
  mailbox::FolderDisplaySettings display_;
  std::atomic<bool> display_read_{false};
  std::atomic<bool> done_{false};
  std::thread thread_;  // last: starts once the members it fills exist
};

}  // namespace thread
