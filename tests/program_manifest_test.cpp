// The manifests of the two Windows builds, as the build writes them from one
// template (the host build writes both; the Windows test program reads its
// own, see tests/win/program_image_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"

#ifdef VELTRANO_MANIFEST_DIR
namespace {

// Windows virtualises the file access of a 32-bit program whose manifest
// names no execution level: it must see a mailbox under "Program Files" as
// the 32-bit mail client does. A 64-bit program is never virtualised, and
// keeps asking for no elevation.
TEST(ProgramManifest, OnlyThe64BitProgramNamesAnExecutionLevel) {
  struct Case {
    const char* file;
    bool named;
    const char* why;
  } cases[] = {
      {"x86.manifest", false, "32-bit: virtualised as the mail client is"},
      {"amd64.manifest", true, "64-bit: asInvoker, never virtualised anyway"},
  };
  for (const Case& c : cases) {
    std::string manifest;
    ASSERT_TRUE(platform::ReadWholeFile(std::string(VELTRANO_MANIFEST_DIR "/") + c.file, manifest))
        << c.file;
    EXPECT_NE(manifest.find("processorArchitecture="), std::string::npos) << c.file;
    EXPECT_EQ(manifest.find("@VELTRANO_"), std::string::npos) << c.file << ": a placeholder left";
    EXPECT_EQ(manifest.find("requestedExecutionLevel level=\"asInvoker\"") != std::string::npos,
              c.named)
        << c.why;
    EXPECT_EQ(manifest.find("requestedExecutionLevel") != std::string::npos, c.named) << c.why;
  }
}

}  // namespace
#endif
