#pragma once
// The folder the start-up opens first, read through its cache on a thread of
// its own while the windows are being made: under Wine, reading and
// reconciling the cache of a 100,000-message folder takes about as long as
// making the windows, so the two together take the time of one.
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
#include "thread/thread_cache.h"

namespace thread {

// Folder 0 of the account the settings file names, found as the start-up
// finds it but without asking (no browse dialog) and without reading display
// settings. None when the mailbox or the folder is not found without asking.
std::optional<FolderSource> FindStartFolder(const std::string& settings_path,
                                            const mailbox::ReadRegistryFn& read_registry);

class CachePreload {
 public:
  // Starts the thread, which finds the start folder and opens its cache.
  CachePreload(std::string settings_path, mailbox::ReadRegistryFn read_registry);
  ~CachePreload();  // waits for the thread
  CachePreload(const CachePreload&) = delete;
  CachePreload& operator=(const CachePreload&) = delete;

  // Waits for the thread, calling `pump` every few milliseconds meanwhile so
  // that the windows stay painted. The opening when it was made for `folder`
  // (the same directory and Total), else none. Gives it out once.
  std::optional<CacheOpening> Take(const FolderSource& folder, const std::function<void()>& pump);

 private:
  void Run(const std::string& settings_path, const mailbox::ReadRegistryFn& read_registry);

  std::optional<FolderSource> source_;
  std::optional<CacheOpening> opening_;
  std::atomic<bool> done_{false};
  std::thread thread_;  // last: starts once the members it fills exist
};

}  // namespace thread
