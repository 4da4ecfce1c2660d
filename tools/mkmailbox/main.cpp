// veltrano-mkmailbox: writes a demo mailbox in the mail client's layout.
// Prints nothing but errors; exit status 0 on success, 1 when writing fails,
// 2 with the usage text on bad arguments.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/mkmailbox/generator.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  mkmailbox::Options options;
  std::string output_dir;
  std::string error;
  if (!mkmailbox::ParseArguments(args, options, output_dir, error)) {
    std::fprintf(stderr, "veltrano-mkmailbox: %s\n%s", error.c_str(), mkmailbox::UsageText());
    return 2;
  }
  if (!mkmailbox::GenerateMailbox(options, output_dir, error)) {
    std::fprintf(stderr, "veltrano-mkmailbox: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
