#pragma once
// The 64-bit FNV-1a hash, the one hash of the index's own values. Its results are
// kept on disk (the index file's name, each folder's stamps, each message's
// signature), so it must stay byte for byte what it is.

#include <cstdint>
#include <string_view>

namespace search {

class Fnv1a {
 public:
  void Byte(unsigned char b) {
    value_ ^= b;
    value_ *= kPrime;
  }
  void Bytes(std::string_view bytes) {
    for (const char c : bytes) Byte(static_cast<unsigned char>(c));
  }
  // A whole 64-bit value taken in one step, not byte by byte: the folders' stamps
  // have always been hashed so.
  void Word(std::uint64_t value) {
    value_ ^= value;
    value_ *= kPrime;
  }
  std::uint64_t Value() const { return value_; }

 private:
  static constexpr std::uint64_t kPrime = 1099511628211ull;
  std::uint64_t value_ = 14695981039346656037ull;  // the offset basis
};

inline std::uint64_t Fnv1aOf(std::string_view bytes) {
  Fnv1a hash;
  hash.Bytes(bytes);
  return hash.Value();
}

}  // namespace search
