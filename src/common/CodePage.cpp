#include "common/CodePage.h"

namespace codepage {

std::u16string ToWide(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWide(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
  if (n > 0) MultiByteToWide(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string FromWide(unsigned codePage, std::u16string_view wide) {
  if (wide.empty()) return {};
  const int n = WideToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n);
  return out;
}

Text Gbk(std::string_view utf8) { return FromWide(kGbk, ToWide(kUtf8, utf8)); }

std::string Utf8FromGbk(std::string_view gbk) { return FromWide(kUtf8, ToWide(kGbk, gbk)); }

}  // namespace codepage
