// NKF32.DLL: the two entry points the viewer looks up by name. Both take and give
// zero-terminated 8-bit strings; the output is always Shift-JIS (CP932).

#include <windows.h>

#include <cstring>

#include "nkf/nkf_convert.h"
#include "nkf/nkf_options.h"

namespace {

// The options last given to SetNkfOption. Only "-s" (Shift-JIS output) is understood, and
// Shift-JIS is what NkfConvert writes whatever was given.
nkf::NkfOptions g_options;

}  // namespace

// Takes an option string such as "-s". A null string counts as empty.
extern "C" void WINAPI SetNkfOption(const char* options) {
  g_options = nkf::ParseNkfOptions(options != nullptr ? options : "");
}

// Converts the zero-terminated `input` to Shift-JIS into `output`, which must have room for
// 2 * strlen(input) + 1 bytes (the most the conversion can write, with its zero). Does nothing
// when `output` is null; a null `input` gives an empty output.
extern "C" void WINAPI NkfConvert(char* output, const char* input) {
  if (output == nullptr) return;
  const std::size_t length = input != nullptr ? std::strlen(input) : 0;
  nkf::ConvertIntoBuffer(input, output, 2 * length + 1);
}
