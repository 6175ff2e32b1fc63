#pragma once
#include <cstddef>

#include "common/Text.h"

// Re-encoding between the Chinese code pages and the Unicode forms. Every routine
// is a pure function returning a fresh value; none reports an error: a failure
// gives a shorter or empty result.
//
// A Text argument is read up to its first zero byte. Arguments longer than
// kMaxRoutineInput bytes give the empty result, so that no size computed from
// them can overflow the platform's int counts.

constexpr std::size_t kMaxRoutineInput = 0x1FFFFFFF;

// Traditional characters of the GBK text replaced by their Simplified forms from
// the program's own table; the byte length never changes.
Text TraditionalToSimplified(const Text& gbk);

Text Big5ToGbk(const Text& big5);
// Only re-encodes: a Simplified character that Big5 lacks becomes '?'.
Text GbkToBig5(const Text& gbk);
Text Big5ToSimplified(const Text& big5);

// A wide buffer is UTF-16LE bytes. TextToWide decodes with codePage when
// useCodePage is set, as UTF-8 otherwise, into as many units as code page 936
// counts in the text and its terminator: zero units fill what the decoding
// leaves, and the buffer is longer where the decoding needs more.
Bytes TextToWide(const Text& text, unsigned codePage, bool useCodePage);
// Encodes into codePage when useCodePage is set, into 936 otherwise, the units
// up to the first zero unit, or all of them; never cut short for room.
Text WideToText(const Bytes& wide, unsigned codePage, bool useCodePage);

Text Gb2312ToUtf8(const Text& gbk);
Text Utf8ToGb2312(const Text& utf8);

// UTF-16LE bytes to GBK; an odd last byte is ignored.
Text UnicodeToAnsi(const Bytes& utf16le);
// UTF-8 bytes (zero bytes allowed: the text ends at the first) to GBK.
Text Utf8ToAnsi(const Bytes& utf8);
