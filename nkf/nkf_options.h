#pragma once
// The option state of the NKF32.DLL interface (SetNkfOption).
//
// This converter writes Shift-JIS only, which is what the option "-s" asks for. Every option
// string is accepted: "-s" is noted; all other options (other output codes, MIME decoding,
// line-end or width changes, ...) are accepted and ignored, so the output stays Shift-JIS.

#include <string_view>

namespace nkf {

struct NkfOptions {
  bool shift_jis_output = false;  // "-s" was among the options
};

// Reads a space-separated option string such as "-s" or "-s -m0". Never fails.
NkfOptions ParseNkfOptions(std::string_view options);

}  // namespace nkf
