#include "tests/cli_run_support.h"

#ifndef _WIN32

#include <sys/wait.h>

#include <cstdio>

namespace cli_testing {

CliRun RunCli(const std::string& arguments, bool standard_error) {
  const std::string command = Quote(VELTRANO_CLI_PATH) + " " + arguments +
                              (standard_error ? " 2>&1 >/dev/null" : " 2>/dev/null");
  CliRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char block[4096];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) run.out.append(block, n);
  const int status = ::pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

}  // namespace cli_testing

#endif  // _WIN32
