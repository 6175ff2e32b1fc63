#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/EscapeDecoding.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Text result = ReadBytesAsUnicode(bytes);
  Require(result.find('\0') == std::string::npos);
  Require(result.size() <= bytes.size());  // at most two bytes a unit in 936

  // ASCII written as UTF-16LE reads back as itself, up to its first zero.
  std::string ascii, wide;
  for (std::uint8_t b : bytes) {
    ascii += static_cast<char>(b & 0x7F);
    wide += static_cast<char>(b & 0x7F);
    wide += '\0';
  }
  Require(ReadBytesAsUnicode(wide) == TextOf(ascii));
  return 0;
}
