#pragma once
#include <cstddef>
#include <string_view>

#include "common/Text.h"

// Escape decoding of captured and pasted texts, done natively: the texts are
// never handed to a script engine, so captured bytes can never run as script.

// Search and replacement on GBK text: a byte of 0x80 or more and the byte after
// it are one character, and a match never starts on the second byte of such a
// pair. Left to right, non-overlapping, case-sensitive; an empty pattern never
// matches.
namespace gbk {
constexpr std::size_t kAll = static_cast<std::size_t>(-1);
// `from` must be the start of a character.
std::size_t Find(std::string_view text, std::string_view what, std::size_t from = 0);
Text Replace(std::string_view text, std::string_view what, std::string_view with,
             std::size_t count = kAll);
}  // namespace gbk

// The value of unescape() applied to a single-quoted script literal whose
// content is `literal`, as GBK up to its first U+0000. Empty when such a
// literal would not compile (a raw line break inside it, or a backslash at its
// very end). An apostrophe is an ordinary character here.
Text UnescapeLiteral(std::string_view literal);

// Every separator becomes "%u", then the literal is decoded and unescaped.
Text ScriptUnescape(const Text& text, const Text& separator);

// Unescapes "\u" and "%u" escapes, keeping line breaks and apostrophes; falls
// back to reading the bytes as UTF-16LE when nothing decodes.
Text Ucs2ToAnsi(const Text& text);

// Bytes read as UTF-16LE: a leading FF FE byte-order mark is skipped, an odd
// last byte is ignored, and the text ends at the first U+0000 unit.
Text ReadBytesAsUnicode(const Bytes& bytes);
