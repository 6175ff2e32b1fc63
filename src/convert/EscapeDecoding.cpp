#include "convert/EscapeDecoding.h"

#include <array>
#include <cstring>
#include <memory>

#include "common/CodePage.h"

namespace {

// Working storage on the stack for datagram-sized texts, on the heap beyond:
// this runs for every captured datagram, from several threads at once.
template <typename T, std::size_t N>
class Scratch {
 public:
  explicit Scratch(std::size_t n) {
    if (n > N) {
      heap_.reset(new T[n]);
      data_ = heap_.get();
    }
  }
  T* data() { return data_; }

 private:
  T inline_[N];
  std::unique_ptr<T[]> heap_;
  T* data_ = inline_;
};

constexpr std::size_t kInlineBytes = 4096;
constexpr std::size_t kInlineUnits = 2048;

// A Text ends at its first zero byte, whatever the string holds beyond it.
std::string_view TextView(const Text& text) {
  std::string_view view(text);
  return view.substr(0, view.find('\0'));
}

template <typename Sink>
void ReplacePieces(std::string_view text, std::string_view what, std::string_view with,
                   std::size_t count, Sink&& sink) {
  std::size_t start = 0;
  for (std::size_t pos = 0; count > 0; --count) {
    pos = gbk::Find(text, what, pos);
    if (pos == std::string_view::npos) break;
    sink(text.substr(start, pos - start));
    sink(with);
    pos += what.size();
    start = pos;
  }
  sink(text.substr(start));
}

std::size_t ReplacedSizeBound(std::size_t size, std::size_t what, std::size_t with) {
  if (what == 0 || with <= what) return size;
  return size + size / what * (with - what);
}

bool IsLineTerminator(char16_t c) {
  return c == u'\n' || c == u'\r' || c == u'\x2028' || c == u'\x2029';
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Value of `digits` hex digits at p (all inside the buffer), or -1.
long HexAt(const char16_t* p, int digits) {
  long value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = HexValue(p[i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

bool IsOctal(char16_t c) { return c >= u'0' && c <= u'7'; }

// Moves the run of units that need no attention from i on down to out; both
// indexes end past it. Most of a datagram is such runs.
template <typename Plain>
void CopyRun(char16_t* buf, std::size_t n, std::size_t& i, std::size_t& out, Plain plain) {
  if (out == i) {
    while (i < n && plain(buf[i])) ++i;
    out = i;
    return;
  }
  while (i < n && plain(buf[i])) buf[out++] = buf[i++];
}

// The escape sequences of a single-quoted literal, decoded in place. Reads them
// as the script engine of the platform does: "\v" is a plain v, \x and \u take
// exactly 2 and 4 hex digits or stand for x and u, octal escapes go up to \377.
// Returns the new length, or -1 where the literal would not compile.
long DecodeLiteral(char16_t* buf, std::size_t n) {
  const auto plain = [](char16_t c) {
    return (c != u'\\') & (c != u'\n') & (c != u'\r') & ((c | 1) != u'\x2029');
  };
  std::size_t out = 0;
  std::size_t i = 0;
  for (;;) {
    CopyRun(buf, n, i, out, plain);
    if (i == n) break;
    const char16_t c = buf[i++];
    if (c != u'\\') return -1;  // a line break
    // A backslash at the end would escape the closing quote.
    if (i == n) return -1;
    const char16_t e = buf[i++];
    char16_t value = e;
    switch (e) {
      case u'b': value = u'\b'; break;
      case u't': value = u'\t'; break;
      case u'n': value = u'\n'; break;
      case u'f': value = u'\f'; break;
      case u'r': value = u'\r'; break;
      case u'x':
        if (n - i >= 2) {
          const long v = HexAt(buf + i, 2);
          if (v >= 0) value = static_cast<char16_t>(v), i += 2;
        }
        break;
      case u'u':
        if (n - i >= 4) {
          const long v = HexAt(buf + i, 4);
          if (v >= 0) value = static_cast<char16_t>(v), i += 4;
        }
        break;
      default:
        if (IsLineTerminator(e)) return -1;
        if (IsOctal(e)) {
          unsigned v = e - u'0';
          const int more = e <= u'3' ? 2 : 1;
          for (int k = 0; k < more && i < n && IsOctal(buf[i]); ++k) v = v * 8 + (buf[i++] - u'0');
          value = static_cast<char16_t>(v);
        }
        break;
    }
    buf[out++] = value;
  }
  return static_cast<long>(out);
}

// unescape(): %uHHHH and %HH, any other % kept. Stops at the first U+0000 it
// produces or meets, where the text handed back ends anyway.
std::size_t Unescape(char16_t* buf, std::size_t n) {
  const auto plain = [](char16_t c) { return (c != u'%') & (c != 0); };
  std::size_t out = 0;
  std::size_t i = 0;
  for (;;) {
    CopyRun(buf, n, i, out, plain);
    if (i == n) break;
    char16_t c = buf[i++];
    if (c == u'%') {
      long v = -1;
      if (n - i >= 5 && buf[i] == u'u' && (v = HexAt(buf + i + 1, 4)) >= 0) {
        i += 5;
      } else if (n - i >= 2 && (v = HexAt(buf + i, 2)) >= 0) {
        i += 2;
      }
      if (v >= 0) c = static_cast<char16_t>(v);
    }
    if (c == 0) break;
    buf[out++] = c;
  }
  return out;
}

// What a byte of a literal can be: kHigh for a byte of a double-byte character
// (the system's table is needed), kActive for one that the literal or unescape()
// may change. Plain ASCII is neither.
constexpr unsigned char kHigh = 1, kActive = 2;
constexpr std::array<unsigned char, 256> kByteKinds = [] {
  std::array<unsigned char, 256> kinds{};
  for (int b = 0x80; b < 0x100; ++b) kinds[b] = kHigh;
  for (unsigned char b : {'\\', '%', '\r', '\n', '\0'}) kinds[b] = kActive;
  return kinds;
}();

// The kinds present in the text; stops early once a high byte is seen.
unsigned char KindsIn(std::string_view text) {
  unsigned char kinds = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t block = 0; block < n && !(kinds & kHigh); block += 64) {
    const std::size_t end = block + 64 < n ? block + 64 : n;
    for (std::size_t i = block; i < end; ++i) kinds |= kByteKinds[p[i]];
  }
  return kinds;
}

// UTF-16 to code page 936 with flags 0; ASCII needs no table.
Text GbkFromUnits(const char16_t* units, std::size_t n) {
  if (n == 0) return {};
  char16_t all = 0;
  for (std::size_t i = 0; i < n; ++i) all |= units[i];
  if (all < 0x80) {
    Text out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(units[i]);
    return out;
  }
  const std::size_t cap = n * 2;  // at most two bytes a unit in 936
  Scratch<char, kInlineBytes> bytes(cap);
  int got = codepage::WideToMultiByte(codepage::kGbk, 0, units, static_cast<int>(n), bytes.data(),
                                      static_cast<int>(cap));
  if (got > 0) return Text(bytes.data(), static_cast<std::size_t>(got));
  return codepage::FromWide(codepage::kGbk, std::u16string_view(units, n));
}

// GBK to UTF-16 into `units` (room for one unit a byte); the count, or -1.
long UnitsFromGbk(std::string_view text, unsigned char kinds, char16_t* units) {
  if (!(kinds & kHigh)) {
    for (std::size_t i = 0; i < text.size(); ++i) units[i] = static_cast<char16_t>(text[i]);
    return static_cast<long>(text.size());
  }
  const int got = codepage::MultiByteToWide(codepage::kGbk, 0, text.data(),
                                            static_cast<int>(text.size()), units,
                                            static_cast<int>(text.size()));
  return got > 0 ? got : -1;
}

Text DecodeUnits(char16_t* units, std::size_t n) {
  const long len = DecodeLiteral(units, n);
  if (len < 0) return {};
  return GbkFromUnits(units, Unescape(units, static_cast<std::size_t>(len)));
}

}  // namespace

namespace gbk {

std::size_t Find(std::string_view text, std::string_view what, std::size_t from) {
  if (what.empty() || what.size() > text.size()) return std::string_view::npos;
  const char* const base = text.data();
  const std::size_t last = text.size() - what.size();
  // Candidates come from memchr; whether one starts a character follows from
  // the run of bytes >= 0x80 just before it, back to the last known start.
  std::size_t known = from;
  for (std::size_t i = from; i <= last;) {
    const void* hit = std::memchr(base + i, what[0], last - i + 1);
    if (!hit) break;
    const std::size_t p = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    std::size_t runStart = p;
    while (runStart > known && static_cast<unsigned char>(base[runStart - 1]) >= 0x80) --runStart;
    const bool starts = (p - runStart) % 2 == 0;
    if (starts && std::memcmp(base + p, what.data(), what.size()) == 0) return p;
    known = starts ? p : p + 1;  // a second byte is followed by a start
    i = p + 1;
  }
  return std::string_view::npos;
}

Text Replace(std::string_view text, std::string_view what, std::string_view with,
             std::size_t count) {
  Text out;
  out.reserve(text.size());
  ReplacePieces(text, what, with, count, [&](std::string_view piece) { out.append(piece); });
  return out;
}

}  // namespace gbk

Text UnescapeLiteral(std::string_view literal) {
  if (literal.empty()) return {};
  const unsigned char kinds = KindsIn(literal);
  if (kinds == 0) return Text(literal);  // nothing to decode, nothing to convert
  Scratch<char16_t, kInlineUnits> units(literal.size());
  const long n = UnitsFromGbk(literal, kinds, units.data());
  if (n >= 0) return DecodeUnits(units.data(), static_cast<std::size_t>(n));
  // 936 never needs more than a unit a byte; this only keeps a surprise harmless.
  std::u16string wide = codepage::ToWide(codepage::kGbk, literal);
  return DecodeUnits(wide.data(), wide.size());
}

Text ScriptUnescape(const Text& text, const Text& separator) {
  const std::string_view source = TextView(text);
  const std::string_view sep = TextView(separator);
  static constexpr std::string_view kPrefix = "%u";
  if (gbk::Find(source, sep) == std::string_view::npos) return UnescapeLiteral(source);

  Scratch<char, kInlineBytes> prepared(ReplacedSizeBound(source.size(), sep.size(), kPrefix.size()));
  std::size_t used = 0;
  ReplacePieces(source, sep, kPrefix, gbk::kAll, [&](std::string_view piece) {
    std::memcpy(prepared.data() + used, piece.data(), piece.size());
    used += piece.size();
  });
  return UnescapeLiteral(std::string_view(prepared.data(), used));
}

Text Ucs2ToAnsi(const Text& text) {
  static constexpr std::string_view kBreak = "\r\n";
  static constexpr std::string_view kBreakHolder = "{$}";
  static constexpr std::string_view kApostrophe = "'";
  static constexpr std::string_view kApostropheHolder = "\xA1\xAF";  // U+2019 in 936

  Text t = gbk::Replace(TextView(text), kBreak, kBreakHolder);
  // With the pairs shielded, a CR in front is a lone one: only that one goes.
  if (!t.empty() && t[0] == '\r') t.erase(0, 1);
  t = gbk::Replace(t, "\\u", "%u");
  t = gbk::Replace(t, kApostrophe, kApostropheHolder);

  Text r = UnescapeLiteral(t);
  if (r.empty()) r = ReadBytesAsUnicode(t);
  r = gbk::Replace(r, kApostropheHolder, kApostrophe);
  return gbk::Replace(r, kBreakHolder, kBreak);
}

Text ReadBytesAsUnicode(const Bytes& bytes) {
  std::size_t start = 0;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE)
    start = 2;
  const std::size_t count = (bytes.size() - start) / 2;
  Scratch<char16_t, kInlineUnits> units(count);
  std::size_t n = 0;
  for (; n < count; ++n) {
    const auto lo = static_cast<unsigned char>(bytes[start + 2 * n]);
    const auto hi = static_cast<unsigned char>(bytes[start + 2 * n + 1]);
    const char16_t unit = static_cast<char16_t>(lo | hi << 8);
    if (unit == 0) break;
    units.data()[n] = unit;
  }
  return GbkFromUnits(units.data(), n);
}
