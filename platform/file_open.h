#pragma once
// Opening a file by a CP932 (Windows) or native (POSIX) byte path, in binary
// mode; the callers do their own line-end handling.

#include <cstdio>
#include <string>

#include "platform/system_path.h"

namespace platform {

// nullptr when the file cannot be opened.
std::FILE* OpenFileForReading(const std::string& path);
std::FILE* OpenFileForReading(const SystemPath& path);
std::FILE* OpenFileForWriting(const std::string& path);

}  // namespace platform
