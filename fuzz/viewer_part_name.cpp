// Any bytes as a Content-Disposition value: the parameters and the decoded
// name must never fail, and the safe name must be one Windows can create
// inside a folder and nowhere else.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_bytes.h"
#include "viewer/part_name.h"
#include "viewer/unicode_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsDeviceStem(std::string stem) {
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  stem = platform::AsciiUpper(stem);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto parameters = viewer::ParseParameters(bytes);
  const std::string name = viewer::PartFileName(parameters, parameters);
  Check(viewer::ValidUtf8(name) == name);
  for (const char c : name) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);

  const std::string safe = viewer::SafeFileName(name.empty() ? std::string(bytes) : name);
  Check(!safe.empty() && viewer::ValidUtf8(safe) == safe);
  Check(viewer::CodePointsIn(safe, safe.size()) <= viewer::kMaxSafeNameChars + 1);
  for (const char c : safe) {
    Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    Check(std::string_view("<>:\"/\\|?*").find(c) == std::string_view::npos);
  }
  Check(safe.back() != '.' && safe.back() != ' ' && safe.front() != ' ');
  Check(!IsDeviceStem(safe.substr(0, safe.find('.'))));

  const std::string numbered = viewer::NumberedFileName(
      safe, [&](const std::string& n) { return n.size() < safe.size() + 4; });
  Check(numbered.size() >= safe.size() + 4);
  return 0;
}
