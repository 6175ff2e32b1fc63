// Host build only: the same calling conventions over glibc's iconv, so the pure
// modules can be unit-tested and fuzzed natively. Tables differ from Windows in
// details (undefined bytes); tests that depend on those run under Wine only.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/CodePage.h"

namespace codepage {
namespace {

const char* CharsetOf(unsigned codePage) {
  switch (codePage) {
    case kAnsi:
    case kGbk: return "CP936";
    case kBig5: return "CP950";
    case kUtf8: return "UTF-8";
    default: return nullptr;
  }
}

// Converts all of `in`, putting `bad` in place of what cannot be converted.
// unit: how many input bytes to skip after a failure.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view bad,
                    size_t unit) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<size_t>(outPtr - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence): replace and skip.
      out.append(bad);
      size_t skip = inLeft < unit ? inLeft : unit;
      inPtr += skip;
      inLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* outPtr = buf;
  size_t outLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buf, static_cast<size_t>(outPtr - buf));
  iconv_close(cd);
  return out;
}

int Deliver(const void* data, int count, size_t unitSize, void* dst, int dstCap) {
  if (dstCap == 0) return count;
  if (count > dstCap) {
    std::memcpy(dst, data, static_cast<size_t>(dstCap) * unitSize);
    return 0;
  }
  std::memcpy(dst, data, static_cast<size_t>(count) * unitSize);
  return count;
}

}  // namespace

int MultiByteToWide(unsigned codePage, unsigned, const char* src, int srcLen, char16_t* dst,
                    int dstCap) {
  const char* cs = CharsetOf(codePage);
  if (!cs || !src || srcLen == 0 || dstCap < 0) return 0;
  size_t len = srcLen < 0 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  const char16_t replacement = codePage == kUtf8 ? u'\xFFFD' : u'\x30FB';
  std::string wide = Convert("UTF-16LE", cs, std::string_view(src, len),
                             std::string_view(reinterpret_cast<const char*>(&replacement), 2), 1);
  return Deliver(wide.data(), static_cast<int>(wide.size() / 2), 2, dst, dstCap);
}

int WideToMultiByte(unsigned codePage, unsigned, const char16_t* src, int srcLen, char* dst,
                    int dstCap) {
  const char* cs = CharsetOf(codePage);
  if (!cs || !src || srcLen == 0 || dstCap < 0) return 0;
  size_t len = 0;
  if (srcLen < 0) {
    while (src[len]) ++len;
    ++len;
  } else {
    len = static_cast<size_t>(srcLen);
  }
  std::string bytes = Convert(cs, "UTF-16LE",
                              std::string_view(reinterpret_cast<const char*>(src), len * 2),
                              codePage == kUtf8 ? "\xEF\xBF\xBD" : "?", 2);
  return Deliver(bytes.data(), static_cast<int>(bytes.size()), 1, dst, dstCap);
}

}  // namespace codepage
