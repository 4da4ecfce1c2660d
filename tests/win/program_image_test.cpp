// What Windows reads in the program file before any of its code runs and
// Wine does not: the manifest's processor architecture and execution level.
// The test program carries the same resources as Veltrano.exe, so its own
// manifest is read.

#include <windows.h>
// The gtest header after windows.h, as in the other Windows tests.
#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

std::string OwnManifest() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(self, found);
  const auto* bytes = static_cast<const char*>(LockResource(loaded));
  return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(self, found));
}

// Windows refuses to start a process whose manifest names an assembly of
// another architecture (a 64-bit program asking for the x86 common controls
// fails with a side-by-side error), so every identity must name this build's
// architecture or "*".
TEST(ProgramImage, ManifestAssembliesFitThisBuildsArchitecture) {
#if defined(__x86_64__)
  const std::string own = "amd64";
#else
  const std::string own = "x86";
#endif
  const std::string manifest = OwnManifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest resource";
  const std::regex architecture("processorArchitecture=\"([^\"]*)\"");
  int identities = 0;
  for (auto it = std::sregex_iterator(manifest.begin(), manifest.end(), architecture);
       it != std::sregex_iterator(); ++it) {
    const std::string named = (*it)[1];
    EXPECT_TRUE(named == "*" || named == own)
        << "an assembly for " << named << " in the " << own << " build";
    ++identities;
  }
  EXPECT_GT(identities, 0) << "no processorArchitecture read from the manifest";
}

// The 32-bit program names no execution level, so that Windows virtualises
// its files as it does the 32-bit mail client's; the 64-bit one, never
// virtualised, asks for asInvoker.
TEST(ProgramImage, OnlyThe64BitProgramNamesAnExecutionLevel) {
  const std::string manifest = OwnManifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest resource";
#if defined(__x86_64__)
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
#else
  EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
#endif
}

}  // namespace
