#include "app/ShellRules.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "app/ProgramTexts.h"
#include "common/CodePage.h"

std::string VersionText(double version) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, version);
  return std::string(buf, r.ptr);
}

Text StandardCaption() {
  std::string utf8(texts::kMainTitle);
  utf8.append(50, ' ');
  utf8 += texts::kVersionLabel;
  utf8 += VersionText(ProgramVersion);
  return codepage::Gbk(utf8);
}

bool CountBoxAcceptsChar(unsigned ch) { return ch < 32 || ch == '-' || (ch >= '0' && ch <= '9'); }

std::string NormalizeCountText(std::string_view text) {
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Read as a 64-bit value that saturates, then clamp to 32 bits.
  int64_t value = 0;
  const int64_t limit = std::numeric_limits<int64_t>::max() / 10;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value > limit ? std::numeric_limits<int64_t>::max() : value * 10 + (text[i] - '0');
    if (value < 0) value = std::numeric_limits<int64_t>::max();
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
  return value == 0 ? std::string() : std::to_string(value);
}

std::vector<Text> AddressesToList(const std::vector<Text>& resolved) {
  size_t n = resolved.size() < kMaxAddresses ? resolved.size() : kMaxAddresses;
  return std::vector<Text>(resolved.begin(), resolved.begin() + static_cast<std::ptrdiff_t>(n));
}

int AddressSelection(std::size_t listed) {
  if (listed == 0) return -1;
  return listed > 1 ? 1 : 0;
}
