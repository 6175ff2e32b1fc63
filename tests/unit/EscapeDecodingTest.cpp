#include <gtest/gtest.h>

#include <string>

#include "common/CodePage.h"
#include "convert/EscapeDecoding.h"

using namespace std::string_literals;

namespace {

struct Case {
  std::string input;
  std::string expected;
};

std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
    out += ' ';
  }
  return out;
}

void ExpectScriptUnescape(const std::vector<Case>& cases, const Text& separator = "\r\n") {
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + Hex(c.input));
    EXPECT_EQ(Hex(ScriptUnescape(c.input, separator)), Hex(c.expected));
  }
}

}  // namespace

TEST(ScriptUnescape, SeparatorBecomesEscapePrefix) {
  ExpectScriptUnescape({
      {"%u4E2D%u6587", "\xD6\xD0\xCE\xC4"},
      {"a\r\nb", "a%ub"},           // prefix without hex digits stays as it is
      {"\r\n0041", "A"},
      {"\r\n4e2d\r\n6587", "\xD6\xD0\xCE\xC4"},
      {"x\r\n", "x%u"},
      {"\r\n\r\n0041", "%uA"},
      {"", ""},
  });
}

TEST(ScriptUnescape, OtherSeparators) {
  EXPECT_EQ(ScriptUnescape("|0041|0042", "|"), "AB");
  EXPECT_EQ(ScriptUnescape("a\r\n0041", ""), "");  // nothing replaced: the CR stays
  EXPECT_EQ(ScriptUnescape("0041", ""), "0041");
  // 0x7C is the second byte of the pair B0 7C, not a separator.
  EXPECT_EQ(Hex(ScriptUnescape("\xB0\x7C" "0041", "|")), Hex("\xB0\x7C" "0041"));
  // Only the bytes up to a zero are the separator's.
  EXPECT_EQ(ScriptUnescape("#0041", "#\0ignored"s), "A");
}

TEST(ScriptUnescape, LiteralEscapes) {
  ExpectScriptUnescape({
      {"\\u4e2d", "\xD6\xD0"},
      {"\\u4E2D\\u6587\\x41\\101\\u0042", "\xD6\xD0\xCE\xC4" "AAB"},
      {"\\b\\t\\n\\f\\r", "\b\t\n\f\r"},
      {"\\'\\\"\\\\", "'\"\\"},
      {"\\v1", "v1"},                 // the platform's engine reads \v as v
      {"\\q\\%\\ ", "q% "},
      {"\\x41\\x6a\\x6A", "Ajj"},
      {"\\xZZ", "xZZ"},               // too few hex digits: plain x
      {"\\x4", "x4"},
      {"\\x4g", "x4g"},
      {"\\u12", "u12"},
      {"\\u12G4", "u12G4"},
      {"\\u004", "u004"},
      {"\\101", "A"},
      {"\\1010", "A0"},               // at most three octal digits
      {"\\377", "\x3F"},              // U+00FF has no 936 form
      {"\\400", " 0"},                // \40 and a digit: no escape above \377
      {"\\477", "'7"},
      {"\\7a", "\x07" "a"},
      {"\\18", "\x01" "8"},
      {"\\8\\9", "89"},
      {"\\x25u4E2D", "\xD6\xD0"},     // the literal makes an escape that unescape reads
      {"%5Cu4E2D", "\\u4E2D"},        // but unescape does not go back to the literal
      {"\\\xD6\xD0", "\xD6\xD0"},     // backslash before a Chinese character
  });
}

TEST(ScriptUnescape, UnescapeEscapes) {
  ExpectScriptUnescape({
      {"%41%62", "Ab"},
      {"%", "%"},
      {"%4", "%4"},
      {"%G1", "%G1"},
      {"%%41", "%A"},
      {"%u", "%u"},
      {"%u004", "%u004"},
      {"%u00410", "A0"},
      {"%U0041", "%U0041"},           // only a lowercase u
      {"%u20AC", "\x80"},             // the euro sign is one byte in 936
      {"%uD800x", "?x"},              // a lone surrogate has no 936 form
      {"%u2019", "\xA1\xAF"},
  });
}

TEST(ScriptUnescape, TextEndsAtFirstZeroUnit) {
  ExpectScriptUnescape({
      {"ab%00cd", "ab"},
      {"ab%u0000cd", "ab"},
      {"ab\\0cd", "ab"},
      {"\\x00", ""},
      {"a\\u0000", "a"},
  });
}

TEST(ScriptUnescape, LiteralThatWouldNotCompileGivesEmptyText) {
  ExpectScriptUnescape({
      {"a\nb", ""},
      {"\n", ""},
      {"a\rb", ""},
      {"\r\n\r", ""},
      {"a\\\nb", ""},                 // an escaped line break is still one
      {"abc\\", ""},                  // the backslash would escape the closing quote
      {"\\", ""},
  });
  // Where the backslash is itself escaped, nothing is left open.
  EXPECT_EQ(ScriptUnescape("abc\\\\", "\r\n"), "abc\\");
}

TEST(ScriptUnescape, ApostropheIsAnOrdinaryCharacter) {
  ExpectScriptUnescape({
      {"it's", "it's"},
      {"';x=1;//%41", "';x=1;//A"},
      {"'", "'"},
      {"a'%u4E2D'", "a'\xD6\xD0'"},
  });
}

TEST(ScriptUnescape, TextIsReadUpToItsFirstZeroByte) {
  EXPECT_EQ(ScriptUnescape("%41\0\n"s, "\r\n"), "A");
}

#ifdef _WIN32
// Depend on the system's table for bytes that are not GBK.
TEST(ScriptUnescape, BytesOutsideGbk) {
  ExpectScriptUnescape({
      // 81 5C is one character: its second byte is no backslash.
      {"\x81\\u4e2d", "\x81\\u4e2d"},
      // A lead byte at the very end: its character cannot be read, the rest is kept.
      {"ab\x81", "ab?"},
      {"\x80\xFF", "\x80\xFF"},
  });
}
#endif

TEST(GbkSearch, MatchesStartOnCharacters) {
  struct FindCase {
    std::string text, what;
    size_t expected;
  };
  const FindCase cases[] = {
      {"a|b", "|", 1},
      {"\xB0\x7C|", "|", 2},          // 7C inside the pair B0 7C is skipped
      {"\x81\\u", "\\u", std::string::npos},
      {"\xD6\xD0\r\n", "\r\n", 2},
      {"\xD6\xD0\xD6|", "|", std::string::npos},  // odd run of high bytes: D6 7C
      {"|\xD6\xD0\xD6||", "|", 0},
      {"a\xD6\xD0\xD6||", "|", 5},
      {"a\xD6", "\xD6", 1},           // a lead byte at the end is a character of its own
      {"\xD6\xD0", "\xD0", std::string::npos},
      {"abc", "", std::string::npos},
      {"ab", "abc", std::string::npos},
      {"Ab ab", "ab", 3},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE("text: " + Hex(c.text) + " what: " + Hex(c.what));
    EXPECT_EQ(gbk::Find(c.text, c.what), c.expected);
  }
  EXPECT_EQ(gbk::Find("a.b.c", ".", 2), 3u);
  EXPECT_EQ(gbk::Find("\xD6|\xD6||", "|", 2), 4u);
}

TEST(GbkSearch, ReplaceIsLeftToRightAndNonOverlapping) {
  EXPECT_EQ(gbk::Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(gbk::Replace("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(gbk::Replace("a.b.c", ".", "--"), "a--b--c");
  EXPECT_EQ(gbk::Replace("a.b.c", ".", "-", 1), "a-b.c");
  EXPECT_EQ(gbk::Replace("a.b.c", ".", "-", 0), "a.b.c");
  EXPECT_EQ(gbk::Replace("abc", "", "-"), "abc");
  EXPECT_EQ(gbk::Replace("\xB0\x7C|", "|", "/"), "\xB0\x7C/");
  EXPECT_EQ(gbk::Replace("\r\n\r\n", "\r\n", "{$}"), "{$}{$}");
}

TEST(Ucs2ToAnsi, ScriptPath) {
  const std::vector<Case> cases = {
      {"%u4E2D\r\n%u6587", "\xD6\xD0\r\n\xCE\xC4"},  // line breaks survive
      {"\\u4e2d\\u6587", "\xD6\xD0\xCE\xC4"},
      {"it's", "it's"},                    // so does an apostrophe
      {"\xA1\xAF", "'"},                   // the apostrophe's stand-in becomes one
      {"%u2019", "'"},
      {"a{$}b", "a\r\nb"},                 // and the line break's stand-in a line break
      {"\rabc", "abc"},                    // a lone leading CR is dropped
      {"\r\nabc", "\r\nabc"},
      {"%41\\x42\\103", "ABC"},            // the literal's other escapes work too
      {"\x81\\u4e2d", "\x81\\u4e2d"},       // 81 5C is one character, not a backslash
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + Hex(c.input));
    EXPECT_EQ(Hex(Ucs2ToAnsi(c.input)), Hex(c.expected));
  }
}

TEST(Ucs2ToAnsi, FallsBackToUtf16WhenTheScriptGivesNothing) {
  const std::vector<Case> cases = {
      {"-N\x87\x65\\", "\xD6\xD0\xCE\xC4"},  // open literal; 5C is the odd byte
      {"-N\x87\x65\n", "\xD6\xD0\xCE\xC4"},   // line break inside
      {"\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + Hex(c.input));
    EXPECT_EQ(Hex(Ucs2ToAnsi(c.input)), Hex(c.expected));
  }
}

TEST(ReadBytesAsUnicode, Utf16LittleEndian) {
  const std::vector<Case> cases = {
      {"\x2D\x4E\x87\x65", "\xD6\xD0\xCE\xC4"},
      {"A\0B\0"s, "AB"},
      {"\xFF\xFE\x2D\x4E", "\xD6\xD0"},      // byte-order mark skipped
      {"\xFF\xFE\xFF\xFE\x2D\x4E", "?\xD6\xD0"},  // only one
      {"\x2D\x4E\x41", "\xD6\xD0"},          // odd last byte ignored
      {"A", ""},
      {"", ""},
      {"A\0\0\0B\0"s, "A"},                 // ends at the first zero unit
      {"\0\0A\0"s, ""},
      {"\x00\xD8" "A\0"s, "?A"},            // lone surrogate
      {"\x19\x20", "\xA1\xAF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + Hex(c.input));
    EXPECT_EQ(Hex(ReadBytesAsUnicode(c.input)), Hex(c.expected));
  }
}
