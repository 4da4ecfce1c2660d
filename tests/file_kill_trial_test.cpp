// The files the program writes survive a kill at any moment: a child process
// rewrites a file over and over with the program's own writers, alternating two
// versions, and is killed after a random delay; the file must then hold one of the
// two versions whole, never a torn or empty file. POSIX only (fork and SIGKILL).
//
// VELTRANO_KILL_ROUNDS sets the rounds per file kind (default 40, enough to catch a
// writer that truncates in place, which tears nearly every round).

#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "settings/ini_profile.h"
#include "settings/settings.h"
#include "tests/load_fakes_support.h"
#include "tests/mail_folder_support.h"
#include "thread/full_build.h"
#include "thread/thread_cache.h"

namespace {

using folder_fixture::TestFolder;

int Rounds() {
  const char* text = std::getenv("VELTRANO_KILL_ROUNDS");
  return text != nullptr ? std::atoi(text) : 40;
}

struct FileKind {
  const char* name;
  std::function<bool(const std::string& path, int version)> write;  // version 0 or 1
};

struct Outcome {
  int rounds = 0;
  int version[2] = {0, 0};
  int torn = 0;
};

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, bytes);
  return bytes;
}

// Writes each version once to learn its bytes, then kills writers at random moments.
Outcome Trial(const FileKind& kind, const std::string& path, std::mt19937& random) {
  std::string expected[2];
  for (int v = 0; v < 2; ++v) {
    EXPECT_TRUE(kind.write(path, v)) << kind.name;
    expected[v] = ReadBytes(path);
  }
  EXPECT_NE(expected[0], expected[1]) << kind.name;
  Outcome outcome;
  std::uniform_int_distribution<int> delay_us(0, 20000);
  for (int round = 0; round < Rounds(); ++round) {
    const pid_t child = fork();
    if (child == 0) {
      for (int v = 0;; v ^= 1) kind.write(path, v);
    }
    usleep(static_cast<useconds_t>(delay_us(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string bytes = ReadBytes(path);
    ++outcome.rounds;
    if (bytes == expected[0]) {
      ++outcome.version[0];
    } else if (bytes == expected[1]) {
      ++outcome.version[1];
    } else {
      ++outcome.torn;
    }
  }
  return outcome;
}

// A folder of `messages` messages, threaded as the program threads it.
thread::ThreadLoad BuildFolder(TestFolder& folder, int messages) {
  std::vector<folder_fixture::TestMessage> list;
  for (int i = 1; i <= messages; ++i) {
    folder_fixture::TestMessage m = folder_fixture::MakeMessage(i, static_cast<std::uint32_t>(i));
    if (i % 3 != 1) m.InReplyTo = folder_fixture::MakeMessage(i - 1).MessageId;
    m.Subject = "subject of a message in a long mailing-list thread " + std::to_string(i);
    list.push_back(m);
  }
  folder.WriteMessages(list);
  folder_fixture::RecordingProgress progress;
  folder_fixture::FakeHost host;
  thread::LoadContext context{progress, host};
  thread::FolderSource source;
  source.Path = folder.Path();
  source.Total = messages;
  return thread::BuildThreadsFromIndex(source, context);
}

TEST(FileKillTrial, EveryWrittenFileIsWholeOldOrWholeNewAfterAKill) {
  TestFolder folder;
  // Two cache versions: the folder before and after one more message arrived.
  thread::ThreadLoad lists[2];
  lists[0] = BuildFolder(folder, 3000);
  lists[1] = BuildFolder(folder, 3001);
  const FileKind kinds[] = {
      {"Veltra.ini",
       [](const std::string& path, int version) {
         settings::MainWindowSettings s;
         s.Property.Mailbox = version == 0 ? "C:\\Mail\\Mailbox" : "D:\\Other\\Mailbox";
         s.MainWindow.Width = 600 + version;
         return settings::SaveMainSettings(platform::SystemPath::FromCp932(path), s);
       }},
      {"VLTR.fol",
       [](const std::string& path, int version) {
         settings::IniWriter out(path);
         out.WriteInteger("Property", "TabInfo", version);
         out.WriteInteger("Property", "MlStringDelete", 1 - version);
         return out.Commit();
       }},
      {"VLTR.ume",
       [&lists](const std::string& path, int version) {
         thread::CacheWriter writer(lists[version].List.Head());
         for (const thread::ThreadNode* n = lists[version].List.Head(); n != nullptr; n = n->Next) {
           writer.Add(*n);
         }
         return writer.Commit(path);
       }},
  };
  std::mt19937 random(20261208);
  for (const FileKind& kind : kinds) {
    const Outcome o = Trial(kind, folder.FilePath(std::string(kind.name) + ".trial"), random);
    std::printf("kill trial %-10s rounds %d: version A %d, version B %d, torn or empty %d\n",
                kind.name, o.rounds, o.version[0], o.version[1], o.torn);
    EXPECT_EQ(o.torn, 0) << kind.name;
  }
}

}  // namespace

#endif  // _WIN32
