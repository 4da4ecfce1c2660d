// veltrano-cli: shows on a terminal what Veltrano would read and show, for
// users, scripts and tests. Output is raw Shift-JIS bytes with LF line ends.
#include <cstdio>
#include <cstring>

#include "cli/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* usage;
};

const Command kCommands[] = {
    {"accounts", RunAccountsCommand, "accounts MAILBOX_DIR"},
    {"folders", RunFoldersCommand, "folders [--account N] [--midoku] MAILBOX_DIR"},
    {"threads", RunThreadsCommand,
     "threads [--references] [--subject] [--tab-default N] [--cache] [--filter TEXT] "
     "[--collapsed] [--muted] FOLDER_DIR"},
    {"mute", RunMuteCommand, "mute [--references] [--subject] [--cache] FOLDER_DIR NAME"},
    {"unmute", RunUnmuteCommand, "unmute [--references] [--subject] [--cache] FOLDER_DIR NAME"},
    {"message", RunMessageCommand,
     "message [--flags HEX] [--forced] [--header] [--utf8 [--find TEXT]] FILE"},
    {"parts", RunPartsCommand, "parts FILE"},
    {"part", RunPartCommand, "part FILE N [--save DIR]"},
    {"command", RunCommandCommand, "command (mark|move|new|reply|forward|mailto|start) ..."},
    {"index", RunIndexCommand, "index MAILBOX_DIR"},
    {"search", RunSearchCommand, "search [--limit N] [--count] MAILBOX_DIR TEXT"},
};

int Usage() {
  std::fprintf(stderr, "usage: veltrano-cli COMMAND ARGS...\n");
  for (const Command& c : kCommands) std::fprintf(stderr, "  veltrano-cli %s\n", c.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
  }
  return Usage();
}
