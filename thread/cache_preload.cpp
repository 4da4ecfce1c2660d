#include "thread/cache_preload.h"

#include <chrono>
#include <memory>
#include <utility>

#include "mailbox/folder_discovery.h"
#include "mailbox/folder_table.h"
#include "settings/settings.h"
#include "thread/load_host.h"

namespace thread {

std::optional<FolderSource> FindStartFolder(const platform::SystemPath& settings_path,
                                            const mailbox::ReadRegistryFn& read_registry) {
  const settings::MainWindowSettings main = settings::LoadMainSettings(settings_path);
  mailbox::AccountState account;
  account.MailboxDir = main.Property.Mailbox;
  account.AccountIndex = main.Property.AccountTitle;
  if (!mailbox::LocateMailbox(account, read_registry, nullptr) || account.AccountDir.empty()) {
    return std::nullopt;
  }
  mailbox::DiscoveryOptions options;
  // Only where the folders are is needed here: no "VLTR.fol" is read.
  options.KnownDisplaySettings = [](const std::string&) {
    return std::optional<mailbox::FolderDisplaySettings>(mailbox::FolderDisplaySettings{});
  };
  auto folders = std::make_unique<mailbox::FolderTable>();
  mailbox::DiscoverFolders(account.AccountDir, options, *folders);
  const mailbox::FolderInfo& first = (*folders)[0];
  if (mailbox::FolderCount(*folders) == 0 || first.Kind == mailbox::kFolderContainer ||
      first.Total == 0) {
    return std::nullopt;
  }
  FolderSource source;
  source.Path = first.Path;
  source.Total = first.Total;
  return source;
}

CachePreload::CachePreload(platform::SystemPath settings_path,
                           mailbox::ReadRegistryFn read_registry)
    : thread_([this, path = std::move(settings_path), registry = std::move(read_registry)] {
        Run(path, registry);
      }) {}

CachePreload::~CachePreload() {
  if (thread_.joinable()) thread_.join();
}

void CachePreload::Run(const platform::SystemPath& settings_path,
                       const mailbox::ReadRegistryFn& read_registry) {
  // Whatever goes wrong here, the start-up opens the folder itself.
  try {
    source_ = FindStartFolder(settings_path, read_registry);
    if (source_) {
      tab_info_default_ = settings::LoadPropertySettings(settings_path).TabInfo;
      CacheFiles files = ReadCacheFiles(source_->Path);
      // The directory scan of a missing "VLTR.fol" holds up every file open,
      // not the parsing: it goes on a thread of its own once the cache files
      // are in memory.
      std::thread display([this] {
        try {
          display_ = mailbox::ReadFolderDisplaySettings(source_->Path, tab_info_default_);
          display_read_ = true;
        } catch (...) {
        }
      });
      struct JoinOnExit {
        std::thread& thread;
        ~JoinOnExit() { thread.join(); }
      } join{display};
      QuietProgress progress;
      QuietMonitor monitor;
      LoadContext context{progress, monitor};
      opening_ = OpenCache(std::move(files), *source_, context);
    }
  } catch (...) {
    opening_.reset();
  }
  done_ = true;
}

std::optional<mailbox::FolderDisplaySettings> CachePreload::DisplaySettings(
    const std::string& folder_path, int tab_info_default) {
  while (!display_read_ && !done_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!display_read_ || !source_ || source_->Path != folder_path ||
      tab_info_default != tab_info_default_) {
    return std::nullopt;
  }
  return display_;
}

std::optional<CacheOpening> CachePreload::Take(const FolderSource& folder,
                                               const std::function<void()>& pump) {
  while (!done_) {
    if (pump) pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (thread_.joinable()) thread_.join();
  std::optional<CacheOpening> taken = std::move(opening_);
  opening_.reset();
  if (!taken || !source_ || source_->Path != folder.Path || source_->Total != folder.Total) {
    return std::nullopt;
  }
  return taken;
}

}  // namespace thread
