#pragma once
// Runs the built veltrano-cli as a separate process, as outside checks do
// (host only: the Windows tests do not run the command-line program).

#include <string>

namespace cli_testing {

struct CliRun {
  int exit_code = -1;
  std::string out;  // standard output, bytes as written
};

// Runs veltrano-cli with `arguments` already quoted for the shell; standard
// error is discarded, or with `standard_error` taken as `out` instead of
// standard output.
CliRun RunCli(const std::string& arguments, bool standard_error = false);

// `text` in single quotes for the shell.
std::string Quote(const std::string& text);

}  // namespace cli_testing
