// The first byte picks the separator (the packet decoder's CR LF most of the
// time), the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/EscapeDecoding.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

// Printable ASCII with nothing that escapes: the decoder must hand it back.
bool IsInert(const std::string& s, const std::string& separator) {
  for (char c : s)
    if (c < 0x20 || c > 0x7E || c == '\\' || c == '%') return false;
  return separator.empty() || s.find(separator) == std::string::npos;
}

// The double-byte-aware search, one character at a time.
std::size_t SlowFind(const std::string& text, const std::string& what) {
  if (what.empty()) return std::string::npos;
  for (std::size_t i = 0; i + what.size() <= text.size();
       i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
    if (text.compare(i, what.size(), what) == 0) return i;
  return std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const kSeparators[] = {"\r\n", "\r\n", "\r\n", "", "|", "\xA1\xAF", "u", "\\"};
  const std::string separator = kSeparators[data[0] & 7];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  Require(gbk::Find(text, separator) == SlowFind(text, separator));
  const Text result = ScriptUnescape(text, separator);
  Require(result.find('\0') == std::string::npos);
  // No escape makes a text longer than two bytes a character of its source.
  Require(result.size() <= 2 * (TextOf(text).size() + 1));
  if (IsInert(TextOf(text), separator)) Require(result == TextOf(text));
  return 0;
}
