#include "tools/mkmailbox/generator.h"

#include <charconv>

#include "platform/files.h"
#include "tools/mkmailbox/folder_writer.h"
#include "tools/mkmailbox/ja_texts.h"
#include "tools/mkmailbox/sample_text.h"

namespace mkmailbox {
namespace {

// 2024-04-01 00:00 in Japan; folder timelines start from here.
constexpr std::uint32_t kFirstArrival = 1711897200;

constexpr PlanStyle kInboxStyle{60, 4, 12};
constexpr PlanStyle kReadStyle{0, 0, 10};
constexpr PlanStyle kListStyle{70, 10, 3};
constexpr PlanStyle kBulkStyle{20, 2, 10};
constexpr PlanStyle kFamilyStyle{50, 5, 20};
constexpr PlanStyle kPhotoStyle{40, 5, 40};

struct Account {
  std::string dir;
  const Person* owner = nullptr;
  std::uint64_t seed = 0;
  std::uint32_t next_name = 1;  // message names are unique in an account
};

// `number` identifies the folder in the whole mailbox; its content depends on
// the seed and this number only.
bool AddMailFolder(Account& account, std::uint32_t number, const std::string& dir,
                   const char* title, std::uint32_t count, const PlanStyle& style,
                   std::string& error, const char* list_name = nullptr, bool sent = false) {
  MailFolder folder;
  folder.title = title;
  folder.message_count = count;
  folder.style = style;
  folder.context.folder_number = number;
  folder.context.owner = account.owner;
  folder.context.sent_folder = sent;
  folder.context.list_name = list_name;
  folder.start_time = kFirstArrival + folder.context.folder_number * 86400u;
  return WriteMailFolder(dir, folder, account.seed, account.next_name, error);
}

std::string AccountIni(const char* title, const Person& owner, const std::string& order) {
  std::string text = "[Property]\r\n";
  text += std::string("Title=") + title + "\r\n";
  text += std::string("Address=") + owner.address + "\r\n";
  if (!order.empty()) text += "Order=" + order + "\r\n";
  text += "SelTemplate=0\r\n";
  return text;
}

// Account with an Order: the Inbox and Outbox, then the archive, the list
// container (its children in reverse number order), the big folder and the
// trash, so the listed order differs from the number order.
bool WriteWorkAccount(const Options& options, Account& account, std::string& error) {
  const std::string& dir = account.dir;
  const std::uint32_t n = options.messages_per_folder;
  std::string order = "IO003002";
  if (options.big_folder_messages > 0) order += "004";
  order += "001";
  if (!EnsureDirectory(dir, error) ||
      !WriteFileBytes(platform::JoinPath(dir, "Account.ini"),
                      AccountIni(ja::kWork, *account.owner, order), error)) {
    return false;
  }
  const std::string lists = platform::JoinPath(dir, "User002.box");
  return AddMailFolder(account, 1, platform::JoinPath(dir, "Inbox.box"), ja::kInbox, n, kInboxStyle,
                       error) &&
         AddMailFolder(account, 2, platform::JoinPath(dir, "Outbox.box"), ja::kOutbox, n,
                       kReadStyle, error, nullptr, true) &&
         AddMailFolder(account, 3, platform::JoinPath(dir, "User001.box"), ja::kTrash, n,
                       kReadStyle, error) &&
         WriteContainerFolder(lists, ja::kMailingLists, "002001", error) &&
         AddMailFolder(account, 4, platform::JoinPath(lists, "User001.box"), ja::kDevList, n,
                       kListStyle, error, "vt-dev") &&
         AddMailFolder(account, 5, platform::JoinPath(lists, "User002.box"), ja::kChatList, n,
                       kListStyle, error, "zatsudan") &&
         AddMailFolder(account, 6, platform::JoinPath(dir, "User003.box"), ja::kArchive, n,
                       kReadStyle, error) &&
         (options.big_folder_messages == 0 ||
          AddMailFolder(account, 7, platform::JoinPath(dir, "User004.box"), ja::kBulk,
                        options.big_folder_messages, kBulkStyle, error));
}

// Account without an Order: folders are listed by number, and its container
// has no Order either.
bool WritePersonalAccount(const Options& options, Account& account, std::string& error) {
  const std::string& dir = account.dir;
  const std::uint32_t n = options.messages_per_folder;
  if (!EnsureDirectory(dir, error) ||
      !WriteFileBytes(platform::JoinPath(dir, "Account.ini"),
                      AccountIni(ja::kPersonal, *account.owner, ""), error)) {
    return false;
  }
  const std::string hobby = platform::JoinPath(dir, "User002.box");
  return AddMailFolder(account, 11, platform::JoinPath(dir, "Inbox.box"), ja::kInbox, n,
                       kInboxStyle, error) &&
         AddMailFolder(account, 12, platform::JoinPath(dir, "Outbox.box"), ja::kOutbox, n,
                       kReadStyle, error, nullptr, true) &&
         AddMailFolder(account, 13, platform::JoinPath(dir, "User001.box"), ja::kFamily, n,
                       kFamilyStyle, error) &&
         WriteContainerFolder(hobby, ja::kHobby, "", error) &&
         AddMailFolder(account, 14, platform::JoinPath(hobby, "User001.box"), ja::kPhotos, n,
                       kPhotoStyle, error) &&
         AddMailFolder(account, 15, platform::JoinPath(hobby, "User002.box"), ja::kTravel, n,
                       kReadStyle, error) &&
         AddMailFolder(account, 16, platform::JoinPath(dir, "User003.box"), ja::kTrash, n,
                       kReadStyle, error);
}

template <typename Number>
bool ParseNumber(const std::string& text, Number limit, Number& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && value <= limit;
}

}  // namespace

const char* UsageText() {
  return "usage: veltrano-mkmailbox [--seed N] [--big-folder-messages N] "
         "[--messages-per-folder N] OUTPUT_DIR\n"
         "  writes a demo mailbox to OUTPUT_DIR/Mailbox\n"
         "  --seed N                  seed of the generated content (default 1)\n"
         "  --big-folder-messages N   add a folder of N messages (0 to 1000000; default 0)\n"
         "  --messages-per-folder N   messages in every other mail folder (0 to 100000; "
         "default 30)\n";
}

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& output_dir,
                    std::string& error) {
  output_dir.clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (!output_dir.empty()) {
        error = "more than one output directory";
        return false;
      }
      output_dir = arg;
      continue;
    }
    if (arg != "--seed" && arg != "--big-folder-messages" && arg != "--messages-per-folder") {
      error = "unknown option " + arg;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = "missing value for " + arg;
      return false;
    }
    const std::string& value = args[++i];
    bool ok = false;
    if (arg == "--seed") {
      ok = ParseNumber<std::uint64_t>(value, UINT64_MAX, options.seed);
    } else if (arg == "--big-folder-messages") {
      ok = ParseNumber<std::uint32_t>(value, kMaxBigFolderMessages, options.big_folder_messages);
    } else {
      ok = ParseNumber<std::uint32_t>(value, kMaxMessagesPerFolder, options.messages_per_folder);
    }
    if (!ok) {
      error = "bad value for " + arg + ": " + value;
      return false;
    }
  }
  if (output_dir.empty()) {
    error = "missing output directory";
    return false;
  }
  return true;
}

bool GenerateMailbox(const Options& options, const std::string& output_dir, std::string& error) {
  const std::string mailbox = platform::JoinPath(output_dir, "Mailbox");
  if (!EnsureDirectory(output_dir, error) || !EnsureDirectory(mailbox, error) ||
      !WriteFileBytes(platform::JoinPath(mailbox, "Mailbox.ini"), "[Property]\r\nVersion=1\r\n",
                      error)) {
    return false;
  }
  Account work{platform::JoinPath(mailbox, "Acc1"), &PersonAt(0), options.seed};
  Account personal{platform::JoinPath(mailbox, "Acc2"), &PersonAt(1), options.seed};
  return WriteWorkAccount(options, work, error) && WritePersonalAccount(options, personal, error);
}

}  // namespace mkmailbox
