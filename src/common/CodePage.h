#pragma once
#include <string>
#include <string_view>

#include "common/Text.h"

// Code-page conversion with the calling conventions of MultiByteToWideChar and
// WideCharToMultiByte: a length of -1 takes the source up to and including its
// terminator, a capacity of 0 asks for the size, a buffer too small gives 0.
// Code page 0 means 936 in this program, on every system.
namespace codepage {

constexpr unsigned kAnsi = 0;
constexpr unsigned kGbk = 936;
constexpr unsigned kBig5 = 950;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kCompositeCheck = 0x200;

int MultiByteToWide(unsigned codePage, unsigned flags, const char* src, int srcLen,
                    char16_t* dst, int dstCap);
int WideToMultiByte(unsigned codePage, unsigned flags, const char16_t* src, int srcLen,
                    char* dst, int dstCap);

// Whole-buffer helpers built on the two above.
std::u16string ToWide(unsigned codePage, std::string_view bytes);
std::string FromWide(unsigned codePage, std::u16string_view wide);

// A UTF-8 literal of the source code as the program's GBK text, and back.
Text Gbk(std::string_view utf8);
std::string Utf8FromGbk(std::string_view gbk);

}  // namespace codepage
