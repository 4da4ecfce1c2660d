#pragma once
// One string value read from the current user's registry. POSIX has no
// registry: the read always finds nothing.

#include <optional>
#include <string>

namespace platform {

// Value `value_name` of key `key_path` under HKEY_CURRENT_USER, as CP932 bytes;
// nothing when the key or the value is missing or not a string. The key is only
// opened for reading: this program never creates keys of the mail client.
std::optional<std::string> ReadCurrentUserString(const std::string& key_path,
                                                 const std::string& value_name);

}  // namespace platform
