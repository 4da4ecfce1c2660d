#pragma once
// The stand-in's log: one line per executed DDE command (its bytes exactly)
// and one per start ("CommandLine: " + the parameter string), CR LF line ends.
// The file is opened for each line, so other processes can read it at any time
// and several instances can append to it.

#include <string>
#include <string_view>

namespace standin {

// The path in the environment variable VELTRANO_STANDIN_LOG, or "standin.log"
// beside the executable.
std::wstring LogPath();

// Appends `line` and CR LF. False when the file cannot be opened or written.
bool AppendLogLine(const std::wstring& path, std::string_view line);

}  // namespace standin
