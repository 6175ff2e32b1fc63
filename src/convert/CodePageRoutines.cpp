#include "convert/CodePageRoutines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "common/CodePage.h"

using codepage::MultiByteToWide;
using codepage::WideToMultiByte;

namespace {

static_assert(kMaxRoutineInput <= INT_MAX / 4, "sizes derived from an argument must fit an int");

struct SimplifiedPair {
  std::uint16_t traditional;
  std::uint16_t simplified;
};

constexpr SimplifiedPair kSimplifiedPairs[] = {
#include "convert/SimplifiedTable.inc"
};

// GBK two-byte codes: lead 0x81..0xFE, trail 0x40..0xFE except 0x7F.
constexpr bool IsPair(unsigned lead, unsigned trail) {
  return lead - 0x81 < 0x7E && trail - 0x40 < 0xBF && trail != 0x7F;
}

// Every byte pair to its replacement, itself when it has none, so that a pair is
// written back replaced or not, with no branch on the table.
const std::uint16_t* SimplifiedOf() {
  static std::array<std::uint16_t, 0x10000> table;
  static const bool filled = [] {
    for (unsigned code = 0; code < 0x10000; ++code) table[code] = static_cast<std::uint16_t>(code);
    for (const SimplifiedPair& p : kSimplifiedPairs) table[p.traditional] = p.simplified;
    return true;
  }();
  (void)filled;
  return table.data();
}

// The first zero byte of bytes[0, n), or n. Eight bytes at a time: the
// platform's strlen goes byte by byte on some systems.
std::size_t FindZero(const char* bytes, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + i, 8);
    if ((v - kOnes) & ~v & kHighs) break;
  }
  for (; i < n; ++i)
    if (bytes[i] == 0) return i;
  return n;
}

// A Text ends at its first zero byte.
std::size_t TextLength(const Text& text) { return FindZero(text.data(), text.size()); }

// Cuts a result at its first zero byte (or keeps all of it).
void CutAtZero(std::string& out) { out.resize(FindZero(out.data(), out.size())); }

// Conversions run in steps through a scratch buffer that stays in the caches:
// touching fresh memory for whole-text intermediates costs more than the
// conversions themselves. A step ends only where every decoder has finished a
// character whatever it makes of bad input, so the steps give exactly what one
// call over the whole input gives.
constexpr std::size_t kStep = 1 << 15;

// Stateful code pages (ISO-2022, UTF-7, GB18030's four-byte forms) would not
// survive a cut: only these are converted in steps.
bool Steppable(unsigned codePage) {
  return codePage == codepage::kAnsi || codePage == codepage::kGbk ||
         codePage == codepage::kBig5 || codePage == codepage::kUtf8;
}

// End of the step that starts at `from`: near kStep elements on, just after an
// element `endsCharacter` accepts, or the end.
template <class EndsCharacter>
std::size_t StepEnd(std::size_t from, std::size_t len, bool steppable,
                    EndsCharacter endsCharacter) {
  if (!steppable || len - from <= kStep) return len;
  for (std::size_t k = from + kStep; k > from + kStep / 2; --k)
    if (endsCharacter(k - 1)) return k;
  for (std::size_t k = from + kStep; k < len; ++k)
    if (endsCharacter(k)) return k + 1;
  return len;
}

// Bytes that never start a two-byte character in 936 or 950: whether one is read
// alone or as the second byte of a pair, a character ends with it.
bool NeverLead(unsigned char b) { return b < 0x81 || b == 0xFF; }

int MaxBytesPerUnit(unsigned codePage) { return codePage == codepage::kUtf8 ? 3 : 2; }

// A code page that needs more than the bound fails the call; then the size
// query decides.
int DecodeStep(unsigned codePage, const char* src, int len, std::u16string& scratch) {
  if (scratch.size() < static_cast<std::size_t>(len)) scratch.resize(static_cast<std::size_t>(len));
  int k = MultiByteToWide(codePage, 0, src, len, scratch.data(), len);  // a byte gives at most a unit
  if (k == 0) {
    k = MultiByteToWide(codePage, 0, src, len, nullptr, 0);
    if (k <= 0) return 0;
    scratch.resize(static_cast<std::size_t>(k));
    MultiByteToWide(codePage, 0, src, len, scratch.data(), k);
  }
  return k;
}

void AppendEncoded(std::string& out, unsigned codePage, unsigned flags, const char16_t* src,
                   int len) {
  if (len <= 0) return;
  const std::size_t old = out.size();
  const int room = len * MaxBytesPerUnit(codePage);
  out.resize(old + static_cast<std::size_t>(room));
  int k = WideToMultiByte(codePage, flags, src, len, out.data() + old, room);
  if (k == 0) {
    k = WideToMultiByte(codePage, flags, src, len, nullptr, 0);
    if (k > 0) {
      out.resize(old + static_cast<std::size_t>(k));
      WideToMultiByte(codePage, flags, src, len, out.data() + old, k);
    }
  }
  out.resize(old + static_cast<std::size_t>(std::max(k, 0)));
}

// Steps of bytes in code page `from`, each decoded into the scratch and handed on.
template <class Sink>
void DecodeInSteps(unsigned from, const char* src, std::size_t len, Sink sink) {
  const auto* p = reinterpret_cast<const unsigned char*>(src);
  // UTF-8 decoders never take an ASCII byte into a sequence.
  auto ends = [p, utf8 = from == codepage::kUtf8](std::size_t i) {
    return utf8 ? p[i] < 0x80 : NeverLead(p[i]);
  };
  std::u16string scratch(std::min(len, kStep), u'\0');
  for (std::size_t at = 0; at < len;) {
    const std::size_t end = StepEnd(at, len, Steppable(from), ends);
    sink(scratch.data(), DecodeStep(from, src + at, static_cast<int>(end - at), scratch));
    at = end;
  }
}

// len bytes (a terminator or zero among them where the routine decodes one) from
// one code page to another, ending at the first zero byte.
Text Transcode(unsigned from, unsigned to, const char* src, std::size_t len) {
  Text out;
  out.reserve(len * static_cast<std::size_t>(MaxBytesPerUnit(to)));  // reserved, not touched
  DecodeInSteps(from, src, len, [&](const char16_t* units, int count) {
    AppendEncoded(out, to, 0, units, count);
  });
  CutAtZero(out);
  return out;
}

// A Text with its terminator, as the routines decode it.
Text TranscodeText(unsigned from, unsigned to, const Text& text) {
  const std::size_t n = TextLength(text);
  if (n > kMaxRoutineInput) return {};
  return Transcode(from, to, text.c_str(), n + 1);
}

char16_t UnitAt(const Bytes& bytes, std::size_t i) {
  return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                               static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// Composition can only change the output where a combining mark follows a
// character. These ranges hold none, and they cover the program's texts (Latin,
// CJK, kana, Hangul, full-width forms, the private-use codes of GBK): there the
// composite check, slow on some platforms, is left out at no change of result.
bool MayCompose(char16_t unit) {
  static constexpr std::pair<char16_t, char16_t> kWithoutMarks[] = {
      {0x0000, 0x02FF}, {0x2000, 0x20CF}, {0x2100, 0x2BFF}, {0x2E80, 0x3029},
      {0x3030, 0x3098}, {0x309B, 0x9FFF}, {0xAC00, 0xD7A3}, {0xE000, 0xFB1D},
      {0xFE30, 0xFE4F}, {0xFF00, 0xFF9D}, {0xFFA0, 0xFFEF}};
  static std::array<std::uint64_t, 0x10000 / 64> bits;
  static const bool filled = [] {
    bits.fill(~std::uint64_t{0});
    for (const auto& [first, last] : kWithoutMarks)
      for (unsigned u = first; u <= last; ++u) bits[u / 64] &= ~(std::uint64_t{1} << (u % 64));
    return true;
  }();
  (void)filled;
  return (bits[unit / 64] >> (unit % 64)) & 1;
}

// UTF-16LE units up to and including the first zero unit (or all of them),
// encoded in steps. A step never ends inside a surrogate pair nor, when
// composing, before a unit that could combine with the one before it; so a step
// without such a unit needs no composite check.
Text EncodeUnits(unsigned codePage, const Bytes& wide, bool compositeCheck) {
  const std::size_t units = wide.size() / 2;
  auto ends = [&](std::size_t i) {
    return !IsHighSurrogate(UnitAt(wide, i)) &&
           (!compositeCheck || i + 1 >= units || !MayCompose(UnitAt(wide, i + 1)));
  };
  Text out;
  out.reserve(units * static_cast<std::size_t>(MaxBytesPerUnit(codePage)));
  std::u16string scratch(std::min(units, kStep), u'\0');
  for (std::size_t at = 0; at < units;) {
    const std::size_t end = StepEnd(at, units, Steppable(codePage), ends);
    scratch.resize(end - at);
    // Copied, not cast: the bytes need not be aligned for units.
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(scratch.data(), wide.data() + 2 * at, 2 * (end - at));
    } else {
      for (std::size_t i = at; i < end; ++i) scratch[i - at] = UnitAt(wide, i);
    }
    std::size_t count = end - at;
    bool last = end == units;
    bool compose = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (scratch[i] == 0) {
        count = i + 1;
        last = true;
        break;
      }
      compose = compose || (compositeCheck && MayCompose(scratch[i]));
    }
    AppendEncoded(out, codePage, compose ? codepage::kCompositeCheck : 0, scratch.data(),
                  static_cast<int>(count));
    if (last) break;
    at = end;
  }
  CutAtZero(out);
  return out;
}

void SimplifyInPlace(Text& text) {
  const std::uint16_t* simplified = SimplifiedOf();
  auto* p = reinterpret_cast<unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i + 1 < n) {
    const unsigned lead = p[i];
    const unsigned trail = p[i + 1];
    if (IsPair(lead, trail)) {
      const unsigned to = simplified[lead << 8 | trail];
      p[i] = static_cast<unsigned char>(to >> 8);
      p[i + 1] = static_cast<unsigned char>(to);
      i += 2;
    } else {
      // A byte that does not start a pair stands alone; the next starts afresh.
      ++i;
    }
  }
}

}  // namespace

Text TraditionalToSimplified(const Text& gbk) {
  const std::size_t n = TextLength(gbk);
  if (n > kMaxRoutineInput) return {};
  Text out(gbk, 0, n);
  SimplifyInPlace(out);
  return out;
}

Text Big5ToGbk(const Text& big5) { return TranscodeText(codepage::kBig5, codepage::kGbk, big5); }

Text GbkToBig5(const Text& gbk) { return TranscodeText(codepage::kGbk, codepage::kBig5, gbk); }

Text Big5ToSimplified(const Text& big5) {
  Text gbk = Big5ToGbk(big5);
  SimplifyInPlace(gbk);
  return gbk;
}

Bytes TextToWide(const Text& text, unsigned codePage, bool useCodePage) {
  const std::size_t n = TextLength(text);
  if (n > kMaxRoutineInput) return Bytes(2, '\0');
  const unsigned effective = useCodePage ? codePage : codepage::kUtf8;
  Bytes out;
  out.reserve(2 * (n + 1));
  DecodeInSteps(effective, text.c_str(), n + 1, [&](const char16_t* units, int count) {
    const std::size_t old = out.size();
    out.resize(old + 2 * static_cast<std::size_t>(count));
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out.data() + old, units, 2 * static_cast<std::size_t>(count));
    } else {
      for (int i = 0; i < count; ++i) {
        out[old + 2 * i] = static_cast<char>(units[i] & 0xFF);
        out[old + 2 * i + 1] = static_cast<char>(units[i] >> 8);
      }
    }
  });
  // As many units as code page 936 counts in the text and its terminator: zero
  // units fill what the decoding leaves. Where the decoding gives more (invalid
  // UTF-8 bytes become one unit each), nothing is cut.
  std::size_t units = out.size() / 2;
  if (effective != codepage::kGbk && effective != codepage::kAnsi) {
    const int ansi = MultiByteToWide(codepage::kAnsi, 0, text.c_str(), -1, nullptr, 0);
    units = std::max(units, static_cast<std::size_t>(std::max(ansi, 0)));
  }
  out.resize(2 * std::max<std::size_t>(units, 1), '\0');
  return out;
}

Text WideToText(const Bytes& wide, unsigned codePage, bool useCodePage) {
  if (wide.size() > kMaxRoutineInput) return {};
  return EncodeUnits(useCodePage ? codePage : codepage::kAnsi, wide, false);
}

Text Gb2312ToUtf8(const Text& gbk) { return TranscodeText(codepage::kGbk, codepage::kUtf8, gbk); }

Text Utf8ToGb2312(const Text& utf8) { return TranscodeText(codepage::kUtf8, codepage::kGbk, utf8); }

Text UnicodeToAnsi(const Bytes& utf16le) {
  if (utf16le.size() > kMaxRoutineInput) return {};
  return EncodeUnits(codepage::kGbk, utf16le, true);
}

Text Utf8ToAnsi(const Bytes& utf8) {
  if (utf8.size() > kMaxRoutineInput) return {};
  // Decoded through the first zero byte, which ends the text; without one, all
  // the bytes and no terminator.
  const std::size_t zero = FindZero(utf8.data(), utf8.size());
  const std::size_t len = zero == utf8.size() ? zero : zero + 1;
  return Transcode(codepage::kUtf8, codepage::kGbk, utf8.data(), len);
}
