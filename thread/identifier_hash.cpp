#include "thread/identifier_hash.h"

#include <cstddef>

namespace thread {

namespace {

// Odd, so that its powers never vanish modulo 2^64.
constexpr std::uint64_t kHashBase = 0x100000001b3ULL;

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

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
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string FoldIdentifier(std::string_view id) {
  std::string folded(id);
  for (char& c : folded) c = static_cast<char>(Lower(static_cast<unsigned char>(c)));
  return folded;
}

std::uint64_t HashBytes(std::string_view bytes) {
  std::uint64_t h = 0;
  for (unsigned char c : bytes) h = h * kHashBase + c + 1;
  return MixHash(h);
}

std::uint64_t HashIdentifier(std::string_view id) {
  std::uint64_t h = 0;
  for (unsigned char c : id) h = h * kHashBase + Lower(c) + 1;
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
