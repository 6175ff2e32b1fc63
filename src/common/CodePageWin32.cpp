#include <windows.h>

#include "common/CodePage.h"

namespace codepage {
namespace {
// Never the system's ANSI code page: this program means 936 wherever it says ANSI.
UINT Effective(unsigned codePage) { return codePage == kAnsi ? kGbk : codePage; }
}  // namespace

int MultiByteToWide(unsigned codePage, unsigned flags, const char* src, int srcLen,
                    char16_t* dst, int dstCap) {
  return ::MultiByteToWideChar(Effective(codePage), flags, src, srcLen,
                               reinterpret_cast<wchar_t*>(dst), dstCap);
}

int WideToMultiByte(unsigned codePage, unsigned flags, const char16_t* src, int srcLen,
                    char* dst, int dstCap) {
  return ::WideCharToMultiByte(Effective(codePage), flags, reinterpret_cast<const wchar_t*>(src),
                               srcLen, dst, dstCap, nullptr, nullptr);
}

}  // namespace codepage
