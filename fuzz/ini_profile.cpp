// Fuzz target: INI text of any bytes must parse, answer lookups, accept a write
// and read that write back, without crashing or hanging.
#include "settings/ini_profile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  settings::IniText text(bytes);
  for (const char* key : {"Mailbox", "Width", "Order", "Title", "Total"}) {
    if (const std::string* value = text.Find("Property", key)) {
      std::int32_t n = 0;
      settings::ParseInteger(*value, n);
    }
  }
  text.Set("Property", "Width", "631");
  text.Set("NewSection", "Key", "\"quoted\"");
  const settings::IniText again(text.Serialize());
  const std::string* width = again.Find("property", "width");
  const std::string* key = again.Find("NewSection", "Key");
  // A written key must read back as written, whatever else the text held.
  if (width == nullptr || key == nullptr || *key != "quoted") std::abort();
  return 0;
}
