#include "tests/temp_dir_support.h"

#include <atomic>
#include <filesystem>
#include <random>

#include "platform/files.h"

namespace testing_support {

namespace {
std::atomic<unsigned> counter{0};
}

TempDir::TempDir() {
  std::random_device rd;
  const std::string name = "veltrano-test-" + std::to_string(rd()) + "-" + std::to_string(counter++);
  path_ = (std::filesystem::temp_directory_path() / name).string();
  platform::MakeDirectory(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Join(std::string_view rel) const {
  std::string out = path_;
  out.push_back(platform::kPathDelimiter);
  for (char c : rel) out.push_back(c == '/' ? platform::kPathDelimiter : c);
  return out;
}

std::string TempDir::MakeDirs(std::string_view rel) const {
  std::string current = path_;
  std::size_t start = 0;
  while (start <= rel.size()) {
    std::size_t end = rel.find('/', start);
    if (end == std::string_view::npos) end = rel.size();
    if (end > start) {
      current = platform::JoinPath(current, rel.substr(start, end - start));
      platform::MakeDirectory(current);
    }
    start = end + 1;
  }
  return current;
}

std::string TempDir::WriteFile(std::string_view rel, std::string_view bytes) const {
  const std::size_t slash = rel.rfind('/');
  if (slash != std::string_view::npos) MakeDirs(rel.substr(0, slash));
  const std::string full = Join(rel);
  platform::ReplaceFileAtomically(full, bytes);
  return full;
}

std::string TempDir::ReadFile(std::string_view rel) const {
  std::string bytes;
  platform::ReadWholeFile(Join(rel), bytes);
  return bytes;
}

}  // namespace testing_support
