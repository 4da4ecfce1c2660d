#pragma once
// The demo mailbox generator: writes a mailbox in the mail client's layout,
// OUTPUT_DIR/Mailbox with "Mailbox.ini" and two accounts, from a seed and a
// size. The same options always give the same bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace mkmailbox {

inline constexpr std::uint32_t kMaxBigFolderMessages = 1000000;
inline constexpr std::uint32_t kMaxMessagesPerFolder = 100000;

struct Options {
  std::uint64_t seed = 1;
  std::uint32_t big_folder_messages = 0;  // 0: no big folder
  std::uint32_t messages_per_folder = 30;
};

// Parses the command line without the program name:
//   [--seed N] [--big-folder-messages N] [--messages-per-folder N] OUTPUT_DIR
// False, with the reason in `error`, for an unknown option, a missing or
// non-decimal value, a value over its limit, or a missing or second OUTPUT_DIR.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& output_dir,
                    std::string& error);

// The usage text printed on bad arguments.
const char* UsageText();

// Writes `output_dir`/Mailbox. `output_dir` is created when missing (its
// parent must exist). Files of the generated names are replaced; other files
// are left alone. False, with a message in `error`, when a directory or file
// cannot be written.
bool GenerateMailbox(const Options& options, const std::string& output_dir, std::string& error);

}  // namespace mkmailbox
