// The floor of a first start (no thread cache): the least a program must do
// to thread a folder from its message files. It reads "Entry.lst" and, on
// THREADS threads, opens every record's message file and reads it in
// 999-character pieces up to the blank line that ends its header block, then
// exits. list_probe --exit times it.
//
//   floor_headers FOLDER_DIR THREADS

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

// Reads the file's header block; the number of bytes read.
std::size_t ReadHeaderBlock(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  std::string text;
  char piece[999];
  DWORD read = 0;
  while (ReadFile(file, piece, sizeof piece, &read, nullptr) && read > 0) {
    text.append(piece, read);
    if (text.find("\r\n\r\n") != std::string::npos || text.find("\n\n") != std::string::npos) break;
  }
  CloseHandle(file);
  return text.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: floor_headers FOLDER_DIR THREADS\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int threads = std::atoi(argv[2]);
  const std::string index = ReadAll(dir + "\\Entry.lst");
  std::vector<std::string> paths;
  std::size_t line = 0;
  while (line < index.size()) {
    std::size_t end = index.find('\n', line);
    if (end == std::string::npos) end = index.size();
    if (end - line > 24 && index[line + 8] == '=') {
      paths.push_back(dir + "\\" + index.substr(line, 8) + ".qnm");
    }
    line = end + 1;
  }
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> bytes{0};
  const auto scan = [&] {
    for (std::size_t i = next++; i < paths.size(); i = next++) bytes += ReadHeaderBlock(paths[i]);
  };
  std::vector<std::thread> workers;
  for (int i = 1; i < threads; ++i) workers.emplace_back(scan);
  scan();
  for (std::thread& worker : workers) worker.join();
  std::printf("%zu files, %zu header bytes\n", paths.size(), bytes.load());
  return bytes.load() > 0 ? 0 : 1;
}
