// The file access against the real (Wine) file system, where another program
// holds or changes the same files: the mail client renaming a message while it
// is read here, a scanner holding "VLTR.ume" while it is replaced.
#include <gtest/gtest.h>
#include <windows.h>
// sddl.h needs the types of windows.h.
#include <sddl.h>

#include <thread>

#include "platform/file_open.h"
#include "platform/files.h"
#include "platform/wide_win.h"
#include "settings/settings.h"
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

// Sets the folder's access list from its SDDL form ("D:P(A;;FA;;;WD)").
bool SetFolderAccess(const std::string& folder, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return false;
  }
  const bool set =
      SetFileSecurityW(platform::Widen(folder).c_str(), DACL_SECURITY_INFORMATION, descriptor) != 0;
  LocalFree(descriptor);
  return set;
}

FILETIME FolderWriteTime(const std::string& folder, const FILETIME* set = nullptr) {
  HANDLE handle =
      CreateFileW(platform::Widen(folder).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FILETIME written{};
  if (handle == INVALID_HANDLE_VALUE) return written;
  if (set != nullptr) SetFileTime(handle, nullptr, nullptr, set);
  GetFileTime(handle, nullptr, nullptr, &written);
  CloseHandle(handle);
  return written;
}

// Whether a folder takes new files is asked of its access list: the answer
// follows the list, and asking makes nothing in the folder (its time of last
// change, set back to 2001 first, stays).
TEST(FilesWin, AFolderIsAskedWhetherItTakesFilesWithoutAFileMade) {
  struct Case {
    const char* why;
    const wchar_t* access;  // SDDL of the folder's list; null: as made
    bool takes;
  } cases[] = {
      {"a folder of the user's", nullptr, true},
      {"everyone may only read and list it", L"D:P(A;;FRFX;;;WD)", false},
      {"everyone may do anything", L"D:P(A;;FA;;;WD)", true},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const std::string folder = dir.MakeDirs("program");
    if (c.access != nullptr) {
      ASSERT_TRUE(SetFolderAccess(folder, c.access)) << c.why;
    }
    const FILETIME old_time{0xC89DC000u, 0x01C07385u};  // 2001-01-01
    FolderWriteTime(folder, &old_time);
    EXPECT_EQ(platform::CanCreateFileIn(platform::SystemPath::FromCp932(folder)), c.takes) << c.why;
    const FILETIME after = FolderWriteTime(folder);
    EXPECT_EQ(CompareFileTime(&after, &old_time), 0) << c.why << ": something was made in it";
    SetFolderAccess(folder, L"D:P(A;;FA;;;WD)");  // so that the folder can go
  }
  EXPECT_FALSE(platform::CanCreateFileIn(platform::SystemPath::FromCp932("C:\\no\\such\\folder")));
}

// A scanner or a sync client holding "Veltra.ini" with no sharing at all (so
// that it can be neither read nor renamed over) for a moment: the save waits
// for it and keeps the file's other keys; held for good, the save fails after
// its tries and the file stays as it was.
TEST(FilesWin, ASettingsFileHeldForAMomentIsSavedWithItsOtherKeys) {
  struct Case {
    const char* why;
    bool released;  // let go 200 ms after the save begins, or only after it
  } cases[] = {
      {"held 200 ms: saved once let go, the option kept", true},
      {"held past every try: false, the file as it was", false},
  };
  for (const Case& c : cases) {
    testing_support::TempDir dir;
    const std::string old_text = "[Property]\r\nQuenmar32=C:\\Q\\quenmar.exe\r\n";
    const std::string path = dir.WriteFile("Veltra.ini", old_text);
    HANDLE held = CreateFileW(platform::Widen(path).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.why;
    std::thread release;
    if (c.released) {
      release = std::thread([held] {
        Sleep(200);
        CloseHandle(held);
      });
    }
    settings::MainWindowSettings main;
    main.Property.Mailbox = "C:\\Mail\\Mailbox";
    const DWORD start = GetTickCount();
    const bool saved = settings::SaveMainSettings(platform::SystemPath::FromCp932(path), main);
    const DWORD took = GetTickCount() - start;
    if (c.released) {
      release.join();
    } else {
      CloseHandle(held);
    }
    EXPECT_EQ(saved, c.released) << c.why;
    EXPECT_LT(took, 1000u) << c.why << ": the tries are bounded";
    const std::string text = dir.ReadFile("Veltra.ini");
    EXPECT_NE(text.find("Quenmar32=C:\\Q\\quenmar.exe"), std::string::npos) << c.why;
    EXPECT_EQ(text.find("Mailbox=") != std::string::npos, c.released) << c.why;
  }
}

}  // namespace
