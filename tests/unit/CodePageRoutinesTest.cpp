#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "convert/CodePageRoutines.h"

namespace {

using Routine = std::function<std::string(const std::string&)>;

struct Case {
  const char* name;
  Routine routine;
  std::string input;
  std::string expected;
};

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Hex(c.routine(c.input)), Hex(c.expected));
  }
}

std::string B(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Routine ToWideWith(unsigned codePage, bool useCodePage) {
  return [=](const std::string& s) { return TextToWide(s, codePage, useCodePage); };
}
Routine ToTextWith(unsigned codePage, bool useCodePage) {
  return [=](const std::string& s) { return WideToText(s, codePage, useCodePage); };
}

// The routines done the plain way: each conversion sized by a query, into whole
// buffers, in one call. The routines must give exactly this on any input.
namespace plain {

using codepage::MultiByteToWide;
using codepage::WideToMultiByte;

std::u16string Units(const std::string& bytes) {
  std::u16string u(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < u.size(); ++i)
    u[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return u;
}

std::string Encode(unsigned cp, unsigned flags, const char16_t* src, int len, char fill) {
  const int m = WideToMultiByte(cp, flags, src, len, nullptr, 0);
  if (m <= 0) return {};
  std::string out(static_cast<std::size_t>(m), fill);
  WideToMultiByte(cp, flags, src, len, out.data(), m);
  return TextOf(out);
}

std::string Recode(const std::string& text, unsigned from, unsigned to) {
  const int w = MultiByteToWide(from, 0, text.c_str(), -1, nullptr, 0);
  if (w <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(w), u'\0');
  MultiByteToWide(from, 0, text.c_str(), -1, wide.data(), w);
  return Encode(to, 0, wide.data(), w, ' ');
}

std::string ToWide(const std::string& text, unsigned cp, bool use) {
  const unsigned eff = use ? cp : codepage::kUtf8;
  int n = MultiByteToWide(codepage::kAnsi, 0, text.c_str(), -1, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(n), u'\0');
  if (MultiByteToWide(eff, 0, text.c_str(), -1, wide.data(), n) == 0) {
    const int needed = MultiByteToWide(eff, 0, text.c_str(), -1, nullptr, 0);
    if (needed > n) {
      wide.assign(static_cast<std::size_t>(needed), u'\0');
      MultiByteToWide(eff, 0, text.c_str(), -1, wide.data(), needed);
    }
  }
  std::string out;
  for (char16_t u : wide) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string ToText(const std::string& wideBytes, unsigned cp, bool use) {
  const unsigned eff = use ? cp : codepage::kAnsi;
  const std::u16string wide = Units(wideBytes);  // terminated after its units
  const int m = WideToMultiByte(codepage::kAnsi, 0, wide.c_str(), -1, nullptr, 0);
  if (m <= 0) return {};
  std::string out(2 * static_cast<std::size_t>(m), ' ');
  if (WideToMultiByte(eff, 0, wide.c_str(), -1, out.data(), 2 * m) == 0) {
    const int needed = WideToMultiByte(eff, 0, wide.c_str(), -1, nullptr, 0);
    if (needed <= 2 * m) return {};
    out.assign(static_cast<std::size_t>(needed), ' ');
    WideToMultiByte(eff, 0, wide.c_str(), -1, out.data(), needed);
  }
  return TextOf(out);
}

std::string UnicodeToAnsi(const std::string& bytes) {
  const std::u16string u = Units(bytes);
  return Encode(codepage::kGbk, codepage::kCompositeCheck, u.data(), static_cast<int>(u.size()),
                '\0');
}

std::string Utf8ToAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int len = static_cast<int>(bytes.size());
  const int w = MultiByteToWide(codepage::kUtf8, 0, bytes.data(), len, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(std::max(w, 0)) + 1, u'\0');
  if (w > 0) MultiByteToWide(codepage::kUtf8, 0, bytes.data(), len, wide.data(), w + 1);
  return Encode(codepage::kGbk, 0, wide.data(), static_cast<int>(wide.size()), ' ');
}

}  // namespace plain

// Inputs longer than a conversion step, in kinds that put step ends in
// different places: frequent ASCII, rare ASCII, none at all, and bad bytes.
std::vector<std::string> LongInputs(std::uint32_t seed, bool utf16) {
  std::mt19937 rng(seed);
  auto pick = [&](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
  std::vector<std::string> inputs;
  for (int kind = 0; kind < 4; ++kind) {
    std::string s;
    while (s.size() < 90000) {
      if (utf16) {
        auto add = [&s](char16_t u) {
          s += static_cast<char>(u & 0xFF);
          s += static_cast<char>(u >> 8);
        };
        // One unit first, so that the pairs below straddle every even position.
        if (s.empty()) add(u'A');
        if (kind == 2) {
          add(0xD83D);
          add(static_cast<char16_t>(0xDE00 + pick(64)));
        } else if (kind == 3) {
          add(u'e');
          add(0x0301);
        } else {
          // Ideographs and Latin; then also marks, lone surrogates, Hangul, zero.
          static const char16_t kFrom[] = {0x4E00, 0x0041, 0x0300, 0xD83D, 0xDE00, 0x3099, 0xAC00};
          add(pick(200000) == 0 ? 0 : kFrom[pick(kind == 0 ? 2 : 7)] + static_cast<char16_t>(pick(32)));
        }
      } else {
        const std::uint32_t r = pick(1000);
        // Rare ASCII lies farther apart than a step.
        const bool ascii = kind == 0 ? r < 300 : kind == 1 ? pick(30000) == 0 : false;
        if (ascii) {
          s += static_cast<char>(0x20 + pick(0x5F));
        } else if (kind == 3 && r < 20) {
          s += static_cast<char>(0x80 + pick(0x80));  // anything high, alone
        } else {
          // A character of 中文 漢字 in GBK, Big5 and UTF-8, whichever the routine reads.
          static const char* const kChars[] = {"\xD6\xD0", "\xA4\xA4", "\xE4\xB8\xAD",
                                               "\x9D\x68", "\xBA\x7E", "\xE6\xBC\xA2"};
          s += kChars[pick(6)];
        }
      }
    }
    inputs.push_back(s);
  }
  return inputs;
}

}  // namespace

TEST(CodePageRoutines, EveryRoutineGivesEmptyForEmpty) {
  RunCases({
      {"TraditionalToSimplified", TraditionalToSimplified, "", ""},
      {"Big5ToGbk", Big5ToGbk, "", ""},
      {"GbkToBig5", GbkToBig5, "", ""},
      {"Big5ToSimplified", Big5ToSimplified, "", ""},
      {"Gb2312ToUtf8", Gb2312ToUtf8, "", ""},
      {"Utf8ToGb2312", Utf8ToGb2312, "", ""},
      {"UnicodeToAnsi", UnicodeToAnsi, "", ""},
      {"Utf8ToAnsi", Utf8ToAnsi, "", ""},
      {"WideToText", ToTextWith(codepage::kGbk, true), "", ""},
  });
  // TextToWide of nothing is the terminator alone, which reads back as nothing.
  EXPECT_EQ(Hex(TextToWide("", codepage::kGbk, true)), "00 00");
  EXPECT_EQ(Hex(TextToWide("", codepage::kGbk, false)), "00 00");
  EXPECT_EQ(WideToText(TextToWide("", codepage::kGbk, true), codepage::kGbk, true), "");
}

TEST(CodePageRoutines, TraditionalToSimplifiedKeepsByteLength) {
  RunCases({
      {"漢字", TraditionalToSimplified, "\x9D\x68\xD7\xD6", "\xBA\xBA\xD7\xD6"},
      {"ASCII around", TraditionalToSimplified, "a\x9D\x68" "b", "a\xBA\xBA" "b"},
      {"already simplified", TraditionalToSimplified, "\xBA\xBA\xD7\xD6", "\xBA\xBA\xD7\xD6"},
      // 9D 68 here is the trail of B0 9D and an 'h': not a character.
      {"pair boundary", TraditionalToSimplified, "\xB0\x9D\x68", "\xB0\x9D\x68"},
      // A lead byte whose next byte cannot be a trail stands alone.
      {"lead before 7F", TraditionalToSimplified, "\x9D\x7F\x9D\x68", "\x9D\x7F\xBA\xBA"},
      {"0xFF, 0x80", TraditionalToSimplified, "\xFF\x80\x9D\x68", "\xFF\x80\xBA\xBA"},
      {"lead at the end", TraditionalToSimplified, "\x9D\x68\x9D", "\xBA\xBA\x9D"},
      // A Text ends at its first zero.
      {"zero inside", TraditionalToSimplified, std::string("\x9D\x68\0\x9D\x68", 5), "\xBA\xBA"},
      {"zero in the second word", TraditionalToSimplified,
       std::string("\x9D\x68" "abcdefgh\0\x9D\x68" "abcdefgh", 21), "\xBA\xBA" "abcdefgh"},
  });
}

TEST(CodePageRoutines, TraditionalToSimplifiedIsIdempotentOverEveryCode) {
  // Every GBK two-byte code once: no replacement is itself Traditional, and every
  // replacement is a whole two-byte character, so nothing shifts.
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F) {
        all += static_cast<char>(lead);
        all += static_cast<char>(trail);
      }
  const Text once = TraditionalToSimplified(all);
  ASSERT_EQ(once.size(), all.size());
  EXPECT_NE(once, all);
  EXPECT_EQ(TraditionalToSimplified(once), once);
  EXPECT_EQ(codepage::ToWide(codepage::kGbk, once).size(),
            codepage::ToWide(codepage::kGbk, all).size());
}

TEST(CodePageRoutines, Big5AndGbk) {
  RunCases({
      {"Big5ToGbk 中文", Big5ToGbk, "\xA4\xA4\xA4\xE5", "\xD6\xD0\xCE\xC4"},
      {"GbkToBig5 中文", GbkToBig5, "\xD6\xD0\xCE\xC4", "\xA4\xA4\xA4\xE5"},
      {"Big5ToGbk keeps 漢字 Traditional", Big5ToGbk, "\xBA\x7E\xA6\x72", "\x9D\x68\xD7\xD6"},
      {"Big5ToSimplified 漢字", Big5ToSimplified, "\xBA\x7E\xA6\x72", "\xBA\xBA\xD7\xD6"},
      {"GbkToBig5 ASCII", GbkToBig5, "abc", "abc"},
      // Re-encoding only: 汉 is not in Big5 and does not become 漢 (BA 7E).
      {"GbkToBig5 汉", GbkToBig5, "\xBA\xBA", "?"},
      {"zero inside", Big5ToGbk, std::string("\xA4\xA4\0\xA4\xE5", 5), "\xD6\xD0"},
  });
}

TEST(CodePageRoutines, Gb2312AndUtf8) {
  RunCases({
      {"Gb2312ToUtf8 中文", Gb2312ToUtf8, "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
      {"Utf8ToGb2312 中文", Utf8ToGb2312, "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
      {"Gb2312ToUtf8 mixed", Gb2312ToUtf8, "a\xD6\xD0" "b", "a\xE4\xB8\xAD" "b"},
      {"Utf8ToAnsi 中文", Utf8ToAnsi, "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
      {"Utf8ToAnsi stops at a zero", Utf8ToAnsi, std::string("\xE4\xB8\xAD\0\xE6\x96\x87", 7),
       "\xD6\xD0"},
  });
}

TEST(CodePageRoutines, UnicodeToAnsi) {
  RunCases({
      {"中文", UnicodeToAnsi, B({0x2D, 0x4E, 0x87, 0x65}), "\xD6\xD0\xCE\xC4"},
      {"odd last byte ignored", UnicodeToAnsi, B({0x2D, 0x4E, 0x87, 0x65, 0x41}),
       "\xD6\xD0\xCE\xC4"},
      {"one byte", UnicodeToAnsi, "A", ""},
      {"stops at a zero unit", UnicodeToAnsi, B({0x2D, 0x4E, 0x00, 0x00, 0x87, 0x65}), "\xD6\xD0"},
      {"not in 936", UnicodeToAnsi, B({0x01, 0x0E, 0x41, 0x00}), "?A"},
  });
}

TEST(CodePageRoutines, TextToWideSizesInCodePage936) {
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";
  RunCases({
      {"936, flag set", ToWideWith(codepage::kGbk, true), "\xD6\xD0", B({0x2D, 0x4E, 0, 0})},
      {"0 is 936", ToWideWith(codepage::kAnsi, true), "\xD6\xD0", B({0x2D, 0x4E, 0, 0})},
      // 936 reads A4 A4 A4 E5 as three characters: the Big5 decoding leaves one
      // spare unit.
      {"950, flag set", ToWideWith(codepage::kBig5, true), "\xA4\xA4\xA4\xE5",
       B({0x2D, 0x4E, 0x87, 0x65, 0, 0})},
      // GBK bytes read as UTF-8 give more units than 936 counts: the buffer grows
      // so that the whole decoding and its terminator are kept.
      {"UTF-8 needs more than 936", ToWideWith(codepage::kGbk, false), "\xD6\xD0",
       B({0xFD, 0xFF, 0xFD, 0xFF, 0, 0})},
  });
  // Flag cleared: UTF-8 whatever the code page. 936 counts the six bytes as more
  // characters than UTF-8 decodes, so spare zero units follow the terminator.
  for (unsigned codePage : {codepage::kGbk, codepage::kBig5, codepage::kAnsi}) {
    SCOPED_TRACE(codePage);
    const Bytes wide = TextToWide(utf8, codePage, false);
    ASSERT_GT(wide.size(), 6u);
    EXPECT_EQ(Hex(wide.substr(0, 6)), "2D 4E 87 65 00 00");
    EXPECT_EQ(wide.find_first_not_of('\0', 6), std::string::npos);
#ifdef _WIN32
    // AD E6 is a user-defined GBK code there: three characters and the terminator.
    EXPECT_EQ(wide.size(), 8u);
#endif
  }
}

TEST(CodePageRoutines, WideToText) {
  const std::string wide = B({0x2D, 0x4E, 0x87, 0x65, 0, 0});
  RunCases({
      {"936, flag set", ToTextWith(codepage::kGbk, true), wide, "\xD6\xD0\xCE\xC4"},
      {"flag cleared means 936", ToTextWith(codepage::kUtf8, false), wide, "\xD6\xD0\xCE\xC4"},
      {"UTF-8", ToTextWith(codepage::kUtf8, true), wide, "\xE4\xB8\xAD\xE6\x96\x87"},
      {"no zero unit", ToTextWith(codepage::kGbk, true), B({0x2D, 0x4E, 0x87, 0x65}),
       "\xD6\xD0\xCE\xC4"},
      {"odd length", ToTextWith(codepage::kGbk, true), B({0x2D, 0x4E, 0x87}), "\xD6\xD0"},
      {"stops at a zero unit", ToTextWith(codepage::kGbk, true),
       B({0x2D, 0x4E, 0, 0, 0x87, 0x65}), "\xD6\xD0"},
      // 936 writes '?' (one byte) for each, UTF-8 three bytes: more than twice the
      // 936 size, and still complete.
      {"UTF-8 needs more than twice", ToTextWith(codepage::kUtf8, true),
       B({0x01, 0x0E, 0x01, 0x0E, 0x01, 0x0E, 0x01, 0x0E}),
       "\xE0\xB8\x81\xE0\xB8\x81\xE0\xB8\x81\xE0\xB8\x81"},
  });
  EXPECT_EQ(Hex(WideToText(TextToWide("\xE4\xB8\xAD\xE6\x96\x87", 0, false), codepage::kGbk, true)),
            Hex("\xD6\xD0\xCE\xC4"));
}

TEST(CodePageRoutines, UnicodeToAnsiMatchesTheCompositeCheckedConversion) {
  // Whole blocks where the check is skipped as needless, and marks where it must
  // compose (the platform composes e + U+0301 into one GBK character).
  auto range = [](char16_t first, char16_t last) {
    std::u16string s;
    for (char32_t u = first; u <= last; ++u) s += static_cast<char16_t>(u);
    return s;
  };
  const std::pair<const char*, std::u16string> texts[] = {
      {"Latin", range(0x0001, 0x02FF)},
      {"punctuation and symbols", range(0x2000, 0x27FF)},
      {"CJK symbols, kana", range(0x3000, 0x30FF)},
      {"ideographs", range(0x4E00, 0x9FFF)},
      {"Hangul", range(0xAC00, 0xD7A3)},
      {"private use, compatibility", range(0xE000, 0xFAFF)},
      {"full width", range(0xFF01, 0xFFEF)},
      {"combining marks", u"e\u0301a\u0300\u4E2D\u0308"},
      {"voiced kana mark", u"\u304B\u3099"},
      {"Hangul jamo", u"\u1100\u1161\u11A8"},
  };
  for (const auto& [name, units] : texts) {
    SCOPED_TRACE(name);
    Bytes bytes;
    for (char16_t u : units) {
      bytes += static_cast<char>(u & 0xFF);
      bytes += static_cast<char>(u >> 8);
    }
    EXPECT_EQ(UnicodeToAnsi(bytes), plain::UnicodeToAnsi(bytes));
  }
}

TEST(CodePageRoutines, StepsGiveWhatOneCallGives) {
  struct Pair {
    const char* name;
    Routine routine;
    Routine reference;
    bool utf16;
  };
  using codepage::kAnsi;
  using codepage::kBig5;
  using codepage::kGbk;
  using codepage::kUtf8;
  const Pair pairs[] = {
      {"Big5ToGbk", Big5ToGbk, [](auto& s) { return plain::Recode(TextOf(s), kBig5, kGbk); }, false},
      {"GbkToBig5", GbkToBig5, [](auto& s) { return plain::Recode(TextOf(s), kGbk, kBig5); }, false},
      {"Gb2312ToUtf8", Gb2312ToUtf8,
       [](auto& s) { return plain::ToText(plain::ToWide(TextOf(s), kGbk, true), kUtf8, true); }, false},
      {"Utf8ToGb2312", Utf8ToGb2312,
       [](auto& s) { return plain::ToText(plain::ToWide(TextOf(s), kAnsi, false), kGbk, true); }, false},
      {"TextToWide 936", ToWideWith(kGbk, true), [](auto& s) { return plain::ToWide(TextOf(s), kGbk, true); }, false},
      {"TextToWide UTF-8", ToWideWith(kGbk, false),
       [](auto& s) { return plain::ToWide(TextOf(s), kGbk, false); }, false},
      {"TextToWide 950", ToWideWith(kBig5, true), [](auto& s) { return plain::ToWide(TextOf(s), kBig5, true); }, false},
      {"Utf8ToAnsi", Utf8ToAnsi, plain::Utf8ToAnsi, false},
      {"WideToText 936", ToTextWith(kGbk, true), [](auto& s) { return plain::ToText(s, kGbk, true); }, true},
      {"WideToText UTF-8", ToTextWith(kUtf8, true), [](auto& s) { return plain::ToText(s, kUtf8, true); }, true},
      {"WideToText 950", ToTextWith(kBig5, true), [](auto& s) { return plain::ToText(s, kBig5, true); }, true},
      {"UnicodeToAnsi", UnicodeToAnsi, plain::UnicodeToAnsi, true},
#ifdef _WIN32
      // UTF-7 keeps a state from byte to byte: no cut may fall inside it.
      {"TextToWide UTF-7", ToWideWith(65000, true),
       [](auto& s) { return plain::ToWide(TextOf(s), 65000, true); }, false},
      {"WideToText UTF-7", ToTextWith(65000, true),
       [](auto& s) { return plain::ToText(s, 65000, true); }, true},
#endif
  };
  for (const Pair& p : pairs) {
    const auto inputs = LongInputs(7, p.utf16);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      SCOPED_TRACE(std::string(p.name) + ", input kind " + std::to_string(i));
      const std::string got = p.routine(inputs[i]);
      const std::string want = p.reference(inputs[i]);
      ASSERT_EQ(got.size(), want.size());
      EXPECT_TRUE(got == want);
    }
  }
}
