// NKF32.DLL as the viewer uses it: loaded by name from the current directory (the build
// directory, where the DLL sits beside this test program), both entry points looked up by their
// undecorated names, "-s" set, an EUC-JP sentence converted into a 2 * length + 1 buffer.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using SetNkfOptionFn = void(WINAPI*)(const char*);
using NkfConvertFn = void(WINAPI*)(char*, const char*);

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TEST(NkfDll, ConvertsEucJpToShiftJisThroughTheExportedEntryPoints) {
  LoadedLibrary library(L"NKF32.DLL");
  ASSERT_NE(library.get(), nullptr) << "LoadLibraryW error " << GetLastError();
  const auto set_option = Entry<SetNkfOptionFn>(library.get(), "SetNkfOption");
  const auto convert = Entry<NkfConvertFn>(library.get(), "NkfConvert");
  ASSERT_NE(set_option, nullptr);
  ASSERT_NE(convert, nullptr);

  // 今日は良い天気です。\r\nｶﾅ; the half-width kana come out full-width (カナ).
  const std::string euc_jp =
      "\xBA\xA3\xC6\xFC\xA4\xCF\xCE\xC9\xA4\xA4\xC5\xB7\xB5\xA4\xA4\xC7\xA4\xB9\xA1\xA3\r\n"
      "\x8E\xB6\x8E\xC5";
  const std::string shift_jis =
      "\x8D\xA1\x93\xFA\x82\xCD\x97\xC7\x82\xA2\x93\x56\x8B\x43\x82\xC5\x82\xB7\x81\x42\r\n"
      "\x83\x4A\x83\x69";
  std::vector<char> buffer(2 * euc_jp.size() + 1, '\x55');
  set_option("-s");
  convert(buffer.data(), euc_jp.c_str());
  EXPECT_EQ(std::string(buffer.data()), shift_jis);

  // An empty body, as for a message with no text: the output is the empty string.
  char empty_output[1] = {'\x55'};
  convert(empty_output, "");
  EXPECT_EQ(empty_output[0], '\0');
}

}  // namespace
