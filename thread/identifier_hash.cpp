#include "thread/identifier_hash.h"

#include <cstddef>

#include "platform/text_bytes.h"

namespace thread {

namespace {

// Odd, so that its powers never vanish modulo 2^64.
constexpr std::uint64_t kHashBase = 0x100000001b3ULL;

// Spreads the polynomial's bits so that the low bits index a table well.
std::uint64_t MixHash(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

}  // namespace

bool SameIdentifier(std::string_view a, std::string_view b) {
  return platform::EqualsIgnoringAsciiCase(a, b);
}

std::string FoldIdentifier(std::string_view id) { return platform::AsciiLower(id); }

std::uint64_t HashBytes(std::string_view bytes) {
  std::uint64_t h = 0;
  for (unsigned char c : bytes) h = h * kHashBase + c + 1;
  return MixHash(h);
}

std::uint64_t HashIdentifier(std::string_view id) {
  std::uint64_t h = 0;
  for (unsigned char c : id)
    h = h * kHashBase + static_cast<unsigned char>(platform::AsciiLower(static_cast<char>(c))) + 1;
  return MixHash(h);
}

SubstringHasher::SubstringHasher(std::string_view text)
    : prefix_(text.size() + 1, 0), power_(text.size() + 1, 1) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    prefix_[i + 1] = prefix_[i] * kHashBase + static_cast<unsigned char>(text[i]) + 1;
    power_[i + 1] = power_[i] * kHashBase;
  }
}

std::uint64_t SubstringHasher::Hash(std::size_t pos, std::size_t length) const {
  return MixHash(prefix_[pos + length] - prefix_[pos] * power_[length]);
}

}  // namespace thread
