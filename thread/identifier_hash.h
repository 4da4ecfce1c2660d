#pragma once
// Identifier comparison and hashing for the thread engine. Message
// identifiers are equal when they match ignoring ASCII letter case.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace thread {

bool SameIdentifier(std::string_view a, std::string_view b);

// `id` with "A"-"Z" lowered.
std::string FoldIdentifier(std::string_view id);

// Polynomial hash over bytes (mod 2^64) followed by a bit mixer. The same
// value comes from HashBytes over a whole text and from a SubstringHasher
// over a slice, so slices of one text can be looked up among whole keys.
std::uint64_t HashBytes(std::string_view bytes);
// HashBytes of the ASCII-lowered bytes.
std::uint64_t HashIdentifier(std::string_view id);

// HashBytes of any slice of one text in constant time after a linear setup.
class SubstringHasher {
 public:
  explicit SubstringHasher(std::string_view text);
  // HashBytes(text.substr(pos, length)); pos + length <= text size.
  std::uint64_t Hash(std::size_t pos, std::size_t length) const;

 private:
  std::vector<std::uint64_t> prefix_;  // prefix_[i]: raw hash of the first i bytes
  std::vector<std::uint64_t> power_;   // power_[i]: the base to the i-th power
};

}  // namespace thread
