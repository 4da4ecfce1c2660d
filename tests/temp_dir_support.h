#pragma once
// A fresh directory per test, removed afterwards, with small helpers to lay out
// files in it. Paths use the platform's delimiter.

#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + delimiter + relative path, where "/" in `rel` becomes the delimiter.
  std::string Join(std::string_view rel) const;
  // Creates the directories of `rel` (each component) below path().
  std::string MakeDirs(std::string_view rel) const;
  // Writes a file (creating its directories); returns its full path.
  std::string WriteFile(std::string_view rel, std::string_view bytes) const;
  // Reads a file below path(); empty when missing.
  std::string ReadFile(std::string_view rel) const;

 private:
  std::string path_;
};

}  // namespace testing_support
