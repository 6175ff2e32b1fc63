// The native escape decoder against the platform's script control on generated
// texts: both must give the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "common/CodePage.h"
#include "convert/EscapeDecoding.h"
#include "win32/ScriptOracle.h"

namespace {

std::string Hex(std::string_view s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}

// Kept apart from the code under test on purpose: plain double-byte-aware
// replacement of every match.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, what.size()) == what) {
      out += with;
      i += what.size();
    } else {
      const size_t n = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
      out += text.substr(i, n);
      i += n;
    }
  }
  return out;
}

bool HasRawLineBreak(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') return true;
    if (c >= 0x80) ++i;
  }
  return false;
}

class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : rng_(seed) {}

  // Pieces that both readers must agree on. Left out on purpose, where the
  // engine of the test platform departs from the one the program follows:
  // \x and \u without enough hex digits, octal escapes with 8 or 9 or above
  // \377, and (in the caller) line breaks inside the literal.
  std::string Piece(bool lineBreaks, bool apostrophes) {
    switch (Pick(lineBreaks ? 16 : 14)) {
      case 0: return Cat("%u", HexDigits(4));
      case 1: return Cat("%", HexDigits(2));
      case 2: return Cat("\\u", HexDigits(4));
      case 3: return Cat("\\x", HexDigits(2));
      case 4: return Octal();
      case 5: {
        static const char others[] = "bfnrtv'\"\\qz%{ $";
        std::string s = "\\";
        if (Pick(6) == 0) return Cat(s, Gbk());
        return s + others[Pick(sizeof others - 1)];
      }
      case 6: return Gbk();
      case 7: return Cat(Gbk(), Gbk());
      case 8: return "\r\n";
      case 9: {
        static const char* const specials[] = {"%", "%u", "%u12", "%4", "%%41", "{$}", "\xA1\xAF",
                                               "%27", "\\x27", "%u2019", "%00", "\\0z", "\\u0000"};
        return specials[Pick(std::size(specials))];
      }
      case 10: return apostrophes ? "'" : "\"";
      case 14: return "\r";
      case 15: return "\n";
      default: return Ascii();
    }
  }

  std::string Text(bool lineBreaks, bool apostrophes) {
    std::string s;
    for (int n = Pick(12); n > 0; --n) s += Piece(lineBreaks, apostrophes);
    return s;
  }

  int Pick(size_t n) { return static_cast<int>(rng_() % n); }

 private:
  // (operator+ on a literal trips a false -Wrestrict warning of GCC 12)
  static std::string Cat(std::string a, const std::string& b) { return a.append(b); }
  std::string HexDigits(int n) {
    static const char digits[] = "0123456789abcdefABCDEF";
    std::string s;
    for (int i = 0; i < n; ++i) s += digits[Pick(sizeof digits - 1)];
    return s;
  }
  std::string Octal() {
    std::string s = "\\";
    if (Pick(2) == 0) {  // three digits: nothing after them can join
      s += static_cast<char>('0' + Pick(4));
      s += static_cast<char>('0' + Pick(8));
      s += static_cast<char>('0' + Pick(8));
      return s;
    }
    s += static_cast<char>('1' + Pick(7));
    if (Pick(2) == 0) s += static_cast<char>('0' + Pick(8));
    return s + "g";  // a short escape must not be followed by a digit
  }
  std::string Gbk() {
    std::string s;
    switch (Pick(3)) {
      case 0:  // GB2312
        s += static_cast<char>(0xB0 + Pick(0xF7 - 0xB0 + 1));
        s += static_cast<char>(0xA1 + Pick(0xF9 - 0xA1 + 1));
        break;
      case 1: {  // second bytes below 0x80, a backslash among them
        s += static_cast<char>(0x81 + Pick(0xA0 - 0x81 + 1));
        const int t = 0x40 + Pick(0x7E - 0x40 + 1);
        s += static_cast<char>(Pick(4) == 0 ? '\\' : t);
        break;
      }
      default:
        s += "\xD6\xD0\xCE\xC4";
    }
    return s;
  }
  std::string Ascii() {
    static const char chars[] =
        "abcdefuxABCDEF0123456789 %{}$;()+-*/=<>!?.,:#@&|~^[]_`";
    std::string s;
    for (int n = 1 + Pick(6); n > 0; --n) s += chars[Pick(sizeof chars - 1)];
    return s;
  }

  std::mt19937 rng_;
};

// The steps of the conversion command with the script control as its engine.
// The byte stream of the platform cannot be driven under the test platform, so
// the UTF-16 reading is the native one (tested on its own).
Text Ucs2ToAnsiThroughScript(const Text& text, bool& fellBack) {
  Text t = ReplaceAll(text, "\r\n", "{$}");
  if (!t.empty() && t[0] == '\r') t.erase(0, 1);
  t = ReplaceAll(t, "\\u", "%u");
  t = ReplaceAll(t, "'", "\xA1\xAF");
  Text r = oracle::RunUnescapeScript(t);
  fellBack = r.empty() && !t.empty();
  if (fellBack) r = ReadBytesAsUnicode(t);
  r = ReplaceAll(r, "\xA1\xAF", "'");
  return ReplaceAll(r, "{$}", "\r\n");
}

}  // namespace

TEST(ScriptOracle, KnownSampleDecodes) {
  // The script control must work at all, or the comparisons below prove nothing.
  EXPECT_EQ(Hex(oracle::RunUnescapeScript("%u4E2D%u6587\\x41\\101\\u0042")),
            Hex("\xD6\xD0\xCE\xC4" "AAB"));
  EXPECT_EQ(oracle::RunUnescapeScript("it's"), "");  // the apostrophe ends the literal there
}

TEST(ScriptOracle, ScriptUnescapeAgreesOnGeneratedTexts) {
  TextMaker maker(20261211);
  int compared = 0, nonEmpty = 0, withLineBreaks = 0, mismatches = 0;
  for (int i = 0; i < 3000; ++i) {
    const Text text = maker.Text(/*lineBreaks=*/maker.Pick(8) == 0, /*apostrophes=*/false);
    const Text native = ScriptUnescape(text, "\r\n");
    const Text prepared = ReplaceAll(text, "\r\n", "%u");
    if (HasRawLineBreak(prepared)) {
      // The test platform's engine accepts a line break inside a literal; the
      // platform's own engine refuses to compile it, and so the result is empty.
      ++withLineBreaks;
      EXPECT_EQ(native, "") << "input: " << Hex(text);
      continue;
    }
    const Text expected = oracle::RunUnescapeScript(prepared);
    ++compared;
    nonEmpty += !expected.empty();
    if (native != expected && ++mismatches <= 10) {
      ADD_FAILURE() << "input:    " << Hex(text) << "\nnative:   " << Hex(native)
                    << "\nexpected: " << Hex(expected);
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(nonEmpty, compared * 3 / 4);  // mostly real values, not failures on both sides
  EXPECT_GT(withLineBreaks, 100);
  std::printf("compared %d texts (%d not empty) with the script control, %d with line breaks\n",
              compared, nonEmpty, withLineBreaks);
}

TEST(ScriptOracle, Ucs2ToAnsiAgreesOnGeneratedTexts) {
  TextMaker maker(11122026);
  int mismatches = 0, fallbacks = 0;
  for (int i = 0; i < 1500; ++i) {
    // A lone leading CR is dropped before anything else.
    Text text = maker.Pick(10) == 0 ? "\r" : "";
    text.append(maker.Text(/*lineBreaks=*/false, /*apostrophes=*/true));
    const Text native = Ucs2ToAnsi(text);
    bool fellBack = false;
    const Text expected = Ucs2ToAnsiThroughScript(text, fellBack);
    fallbacks += fellBack;
    if (native != expected && ++mismatches <= 10) {
      ADD_FAILURE() << "input:    " << Hex(text) << "\nnative:   " << Hex(native)
                    << "\nexpected: " << Hex(expected);
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(fallbacks, 10);  // the UTF-16 reading was reached too
  std::printf("%d of 1500 texts went to the UTF-16 reading\n", fallbacks);
}
