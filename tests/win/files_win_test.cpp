// The file access against the real (Wine) file system, where another program
// holds or changes the same files: the mail client renaming a message while it
// is read here, a scanner holding "VLTR.ume" while it is replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "platform/file_open.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "tests/temp_dir_support.h"

namespace {

// While a file is open for reading here, another program can still write,
// rename and delete it.
TEST(FilesWin, AFileOpenForReadingCanBeRenamedAndDeletedMeanwhile) {
  testing_support::TempDir dir;
  const std::string path = dir.WriteFile("message.qnm", "Subject: x\r\n");
  const std::string moved = dir.Join("moved.qnm");
  std::FILE* reading = platform::OpenFileForReading(path);
  ASSERT_NE(reading, nullptr);
  HANDLE writer = CreateFileW(platform::Widen(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "opened for writing, error " << GetLastError();
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_TRUE(MoveFileW(platform::Widen(path).c_str(), platform::Widen(moved).c_str()))
      << "renamed, error " << GetLastError();
  EXPECT_TRUE(DeleteFileW(platform::Widen(moved).c_str())) << "deleted, error " << GetLastError();
  std::fclose(reading);
}

// A target held for a moment by another program (without the delete share)
// is replaced once it lets go; one held for good leaves the old file whole.
TEST(FilesWin, AReplacedFileHeldForAMomentIsReplacedOnceReleased) {
  struct Case {
    const char* why;
    DWORD hold_ms;
    bool replaced;
  } cases[] = {
      {"held for 150 ms: the rename is tried again", 150, true},
      {"held past every try: false, old file kept", 1500, false},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const std::string path = dir.WriteFile("VLTR.ume", "old");
    HANDLE held = CreateFileW(platform::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.why;
    std::thread release([&] {
      Sleep(c.hold_ms);
      CloseHandle(held);
    });
    const bool replaced = platform::ReplaceFileAtomically(path, "new");
    release.join();
    EXPECT_EQ(replaced, c.replaced) << c.why;
    EXPECT_EQ(dir.ReadFile("VLTR.ume"), c.replaced ? "new" : "old") << c.why;
    EXPECT_FALSE(platform::FileExists(path + ".tmp~")) << c.why;
  }
}

}  // namespace
