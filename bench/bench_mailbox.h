#pragma once
// Generated mail folders for the thread benchmarks, in the mail client's
// layout: "Entry.ini" with Total, "Entry.lst" records
// "NNNNNNNN=" + Base64 status + sender ":" subject (colons doubled), and
// message files NNNNNNNN.qnm with a realistic header block. Deterministic
// from a seed.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

#include "mailbox/folder_table.h"
#include "platform/files.h"
#include "thread/full_build.h"
#include "thread/load_host.h"
#include "thread/thread_rows.h"
#include "tools/mkmailbox/index_format.h"

namespace bench {

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline std::string Name(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%08d", number);
  return name;
}

// Writes `count` messages into `dir` (which must exist). About 55% answer a
// recent earlier message; 10% come through a mailing list.
inline void GenerateFolder(const std::string& dir, int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  // "会議の件" in Shift-JIS: a subject with double-byte characters.
  const std::string topic = "\x89\xef\x8b\x63\x82\xcc\x8c\x8f";
  std::vector<std::string> subjects;
  std::string index;
  for (int i = 1; i <= count; ++i) {
    const std::string id = "<" + std::to_string(i) + "." + std::to_string(seed) + "@bench.example.jp>";
    std::string parent_id;
    std::string subject = "Topic " + std::to_string(i) + ": " + topic;
    if (i > 1 && random() % 100 < 55) {
      const int low = i > 300 ? i - 300 : 1;
      const int parent = low + static_cast<int>(random() % static_cast<unsigned>(i - low));
      parent_id = "<" + std::to_string(parent) + "." + std::to_string(seed) + "@bench.example.jp>";
      subject = "Re: " + subjects[static_cast<std::size_t>(parent - 1)];
      if (subject.size() > 120) subject.resize(120);
    }
    subjects.push_back(subject);
    const bool mailing_list = random() % 10 == 0;

    mkmailbox::IndexEntry entry;
    entry.name = Name(i);
    if (random() % 5 == 0) entry.flags = thread::kUnreadFlag;
    entry.date_stamp = 0x30000000u + static_cast<std::uint32_t>(i) * 60u;
    const std::string sender = "user" + std::to_string(random() % 500) + "@example.jp";
    entry.sender = sender;
    entry.subject = subject;
    mkmailbox::AppendIndexRecord(index, entry);

    std::string file = "Return-Path: <" + sender + ">\r\n";
    for (int hop = 0; hop < 4; ++hop) {
      file += "Received: from mx" + std::to_string(hop) +
              ".example.jp (mx.example.jp [192.0.2." + std::to_string(hop) +
              "])\r\n\tby mail.example.jp with ESMTP id ABCDEF" + std::to_string(i) +
              "\r\n\tfor <reader@example.jp>; Mon, 1 Jan 2024 10:00:00 +0900\r\n";
    }
    file += "Date: Mon, 1 Jan 2024 10:00:00 +0900\r\nFrom: " + sender + "\r\n";
    file += "To: reader@example.jp\r\nSubject: =?ISO-2022-JP?B?GyRCMnFESxsoQg==?=\r\n";
    file += "Message-ID: " + id + "\r\n";
    if (!parent_id.empty()) {
      file += "In-Reply-To: " + parent_id + "\r\nReferences: <root." + std::to_string(seed) +
              "@bench.example.jp>\r\n " + parent_id + "\r\n";
    }
    if (mailing_list) file += "X-ML-Name: bench\r\nX-Sequence: bench " + std::to_string(i) + "\r\n";
    file += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n";
    file += "Content-Transfer-Encoding: 7bit\r\nX-Mailer: Bench 1.0\r\n\r\n";
    for (int line = 0; line < 6; ++line) file += "This is the body of the message, line.\r\n";
    WriteFile(platform::JoinPath(dir, Name(i) + ".qnm"), file);
  }
  WriteFile(platform::JoinPath(dir, "Entry.lst"), index);
  WriteFile(platform::JoinPath(dir, "Entry.ini"),
            "[Property]\r\nTotal=" + std::to_string(count) + "\r\n");
}

// Asks the kernel to drop the given files from its page cache.
inline void EvictFiles(const std::vector<std::string>& paths) {
#ifdef __linux__
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) continue;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
#else
  (void)paths;
#endif
}

// Drops the message files NAME.qnm of messages 1 to `count` from the page
// cache, so that the next header scan reads them from the disk again
// ("cold-ish": the disk or the host may still cache them).
inline void EvictMessageFiles(const std::string& dir, int count) {
  std::vector<std::string> paths;
  for (int i = 1; i <= count; ++i) paths.push_back(platform::JoinPath(dir, Name(i) + ".qnm"));
  EvictFiles(paths);
}

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& label) {
    path_ = (std::filesystem::temp_directory_path() / ("veltrano-bench-" + label)).string();
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

template <typename F>
double Seconds(F&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of `runs` runs, in milliseconds.
template <typename F>
double BestMilliseconds(int runs, F&& run) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, 1000.0 * Seconds(run));
  return best;
}

// A generated folder of `count` messages whose thread cache is current, as
// the program finds a folder it has shown before; and what opening it takes.
struct CachedFolder {
  CachedFolder(const std::string& label, int count) : dir(label), source{dir.Path(), count, {}, 0} {
    GenerateFolder(dir.Path(), count, 7);
    folder.Path = dir.Path();
    thread::ThreadLoad built = thread::BuildThreadsFromIndex(source, context);
    thread::FillThreadList(built.List.Head(), folder, true);  // writes the cache
  }

  ScratchDir dir;
  thread::QuietProgress progress;
  thread::QuietMonitor monitor;
  thread::LoadContext context{progress, monitor};
  thread::FolderSource source;
  mailbox::FolderInfo folder;
};

}  // namespace bench
