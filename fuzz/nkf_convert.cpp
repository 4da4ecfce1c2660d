// Fuzz target for the library call: the output stays within 2 * length bytes plus the zero
// (measured in a buffer with room to spare, since the writer would cut anything longer), is
// always zero-terminated, agrees with the whole-text conversion, and a smaller buffer is never
// overrun. The input and output sit in exactly sized heap buffers, so AddressSanitizer
// reports any read past the input's zero or write past the output's end.

#include "nkf/nkf_convert.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The library sees a C string: the data up to its first zero byte.
  const void* zero = std::memchr(data, 0, size);
  const std::size_t length = zero != nullptr ? static_cast<const std::uint8_t*>(zero) - data : size;
  char* input = static_cast<char*>(std::malloc(length + 1));
  std::memcpy(input, data, length);
  input[length] = '\0';

  const std::size_t roomy_size = 4 * length + 16;
  char* roomy = static_cast<char*>(std::malloc(roomy_size));
  const std::size_t written = nkf::ConvertIntoBuffer(input, roomy, roomy_size);
  if (written > 2 * length || roomy[written] != '\0') std::abort();

  const std::size_t full_size = 2 * length + 1;
  char* output = static_cast<char*>(std::malloc(full_size));
  if (nkf::ConvertIntoBuffer(input, output, full_size) != written ||
      std::memcmp(output, roomy, written + 1) != 0 ||
      nkf::ConvertToShiftJis(std::string(input, length)) != std::string(output, written)) {
    std::abort();
  }
  std::free(output);
  std::free(roomy);

  // A buffer smaller than the result: cut, still terminated, never overrun.
  const std::size_t small_size = written / 2 + 1;
  char* small = static_cast<char*>(std::malloc(small_size));
  const std::size_t cut = nkf::ConvertIntoBuffer(input, small, small_size);
  if (cut >= small_size || small[cut] != '\0') std::abort();
  std::free(small);

  std::free(input);
  return 0;
}
