// The option string of SetNkfOption.

#include "nkf/nkf_options.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(NkfOptions, ShiftJisOutputIsNotedOnlyForTheSOption) {
  const struct {
    const char* why;
    std::string_view options;
    bool shift_jis;
  } cases[] = {
      {"the viewer's option", "-s", true},
      {"among other options", "-m0 -s -x", true},
      {"surrounded by spaces and tabs", " \t-s\t", true},
      {"empty", "", false},
      {"another output code", "-e", false},
      {"a longer option that only starts with -s", "-sjis", false},
      {"no dash", "s", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(nkf::ParseNkfOptions(c.options).shift_jis_output, c.shift_jis) << c.why;
  }
}

}  // namespace
