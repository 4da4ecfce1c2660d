#pragma once
// A small seeded random source (SplitMix64) whose sequence is the same on every
// platform and compiler, so that one seed always gives the same mailbox bytes.
// The standard library's distributions are implementation-defined and are
// therefore not used.

#include <cstdint>

namespace mkmailbox {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  // Seeds a source for one part of the output (a folder) from the run's seed,
  // so that the parts do not depend on each other's draws.
  static Random ForPart(std::uint64_t seed, std::uint64_t part) {
    Random mixer(seed ^ (part * 0x9E3779B97F4A7C15ULL));
    return Random(mixer.Next());
  }

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // A value in [0, bound); bound must be greater than 0.
  std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }

  // True with the probability percent / 100.
  bool Percent(std::uint32_t percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

}  // namespace mkmailbox
