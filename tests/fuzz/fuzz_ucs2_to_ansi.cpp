#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/EscapeDecoding.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

// Printable ASCII with no escape and no line-break stand-in comes back as it is,
// apostrophes included.
bool IsInert(const std::string& s) {
  for (char c : s)
    if (c < 0x20 || c > 0x7E || c == '\\' || c == '%') return false;
  return s.find("{$}") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Text result = Ucs2ToAnsi(text);
  Require(result.find('\0') == std::string::npos);
  if (IsInert(TextOf(text))) Require(result == TextOf(text));
  return 0;
}
