// The registry read that finds the mail client's data directory, against the
// real (Wine) registry of the current user.
#include <windows.h>

#include <gtest/gtest.h>

#include "mailbox/accounts.h"
#include "platform/registry.h"
#include "platform/wide_win.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  static constexpr wchar_t kKey[] = L"Software\\VeltranoTest\\Quenmar";
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VeltranoTest"); }

  void SetValue(const std::string& cp932, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const std::wstring value = platform::Widen(cp932);
    RegSetValueExW(key, L"MailboxPath", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

TEST_F(RegistryTest, ReadsAJapanesePathAsShiftJis) {
  const std::string path = "C:\\\x83\x5C\x83\x74\x83\x67\\";  // C:\ソフト\ (ソ ends in 0x5C)
  SetValue(path);
  const auto read = platform::ReadCurrentUserString("Software\\VeltranoTest\\Quenmar", "MailboxPath");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, path);
  EXPECT_EQ(mailbox::MailboxDirFromClientDataDir(*read), "C:\\\x83\x5C\x83\x74\x83\x67\\Mailbox");
}

// A path stored as REG_EXPAND_SZ comes with its variables replaced; a plain
// REG_SZ keeps a percent sign as it is.
TEST_F(RegistryTest, AnExpandableValueIsReadExpanded) {
  SetEnvironmentVariableW(L"VELTRANO_TEST_HOME", L"C:\\Users\\Taro");
  const struct Case {
    const char* why;
    DWORD type;
    const char* stored;
    const char* read;
  } cases[] = {
      {"expandable: the variable replaced", REG_EXPAND_SZ, "%VELTRANO_TEST_HOME%\\Quenmar",
       "C:\\Users\\Taro\\Quenmar"},
      {"expandable, an unknown variable: kept", REG_EXPAND_SZ, "%NO_SUCH_VARIABLE_X%\\Q",
       "%NO_SUCH_VARIABLE_X%\\Q"},
      {"plain: kept as stored", REG_SZ, "%VELTRANO_TEST_HOME%\\Quenmar",
       "%VELTRANO_TEST_HOME%\\Quenmar"},
  };
  for (const Case& c : cases) {
    SetValue(c.stored, c.type);
    EXPECT_EQ(platform::ReadCurrentUserString("Software\\VeltranoTest\\Quenmar", "MailboxPath"),
              std::string(c.read))
        << c.why;
  }
}

TEST_F(RegistryTest, MissingKeyOrValueFindsNothingAndCreatesNoKey) {
  EXPECT_FALSE(platform::ReadCurrentUserString("Software\\VeltranoTest\\Quenmar", "MailboxPath"));
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
