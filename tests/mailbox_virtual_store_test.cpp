#include <gtest/gtest.h>

#include <string>

#include "mailbox/virtual_store.h"

namespace {

TEST(VirtualStorePath, NamesTheCopyOfAFolderOfTheSystemDriveAndNoneElsewhere) {
  const std::string local = "C:\\Users\\yoko\\AppData\\Local";
  struct Case {
    const char* mailbox;
    const char* copy;  // "": none
    const char* why;
  } cases[] = {
      {"C:\\Program Files (x86)\\Quenmar\\Mail", "\\Program Files (x86)\\Quenmar\\Mail",
       "the drive is dropped, the rest kept under VirtualStore"},
      {"c:\\Program Files\\Q\\Mailbox", "\\Program Files\\Q\\Mailbox",
       "the drive letter in another case is the same drive"},
      {"C:\\Program Files\\\x83\x5c\\Mailbox", "\\Program Files\\\x83\x5c\\Mailbox",
       "a Shift-JIS name whose second byte is a backslash is kept as it is"},
      {"\\\\server\\share\\Mailbox", "", "a network path is never virtualised"},
      {"\\\\?\\C:\\Program Files\\Mailbox", "", "a device path is not a drive path"},
      {"D:\\Program Files\\Quenmar\\Mailbox", "", "another drive than the system's"},
      {"C:Mailbox", "", "relative to the drive's current folder"},
      {"Mailbox", "", "a relative path"},
      {"C:\\", "", "the drive's root is not a virtualised folder"},
      {"", "", "no mailbox"},
  };
  for (const Case& c : cases) {
    const mailbox::VirtualStoreCopy copy = mailbox::VirtualStorePath(c.mailbox, local);
    const std::string expected = *c.copy == '\0' ? "" : local + "\\VirtualStore" + c.copy;
    EXPECT_EQ(copy.Path, expected) << c.why;
    EXPECT_EQ(copy.Why == nullptr, !expected.empty()) << c.why;
  }
  EXPECT_EQ(mailbox::VirtualStorePath("C:\\Program Files\\Mailbox", "").Path, "")
      << "no local application data: nowhere to look";
}

}  // namespace
