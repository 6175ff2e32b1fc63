// The first byte picks the routine, the rest is its argument.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/CodePage.h"
#include "convert/CodePageRoutines.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

void RequireText(const std::string& s) { Require(s.find('\0') == std::string::npos); }

const unsigned kCodePages[] = {codepage::kAnsi, codepage::kGbk, codepage::kBig5, codepage::kUtf8};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned pick = data[0];
  const std::string arg(reinterpret_cast<const char*>(data + 1), size - 1);
  const Text text = TextOf(arg);
  const unsigned codePage = kCodePages[(pick >> 4) & 3];
  const bool useCodePage = (pick & 0x40) != 0;

  switch (pick % 10) {
    case 0: {
      const Text once = TraditionalToSimplified(arg);
      Require(once.size() == text.size());
      RequireText(once);
      Require(TraditionalToSimplified(once) == once);
      break;
    }
    case 1: RequireText(Big5ToGbk(arg)); break;
    case 2: RequireText(GbkToBig5(arg)); break;
    case 3: RequireText(Big5ToSimplified(arg)); break;
    case 4: {
      const Bytes wide = TextToWide(arg, codePage, useCodePage);
      // Whole units, at least room for the terminator; read back as a text.
      Require(wide.size() >= 2 && wide.size() % 2 == 0);
      RequireText(WideToText(wide, codePage, useCodePage));
      break;
    }
    case 5: RequireText(WideToText(arg, codePage, useCodePage)); break;
    case 6: RequireText(Gb2312ToUtf8(arg)); break;
    case 7: RequireText(Utf8ToGb2312(arg)); break;
    case 8: RequireText(UnicodeToAnsi(arg)); break;
    case 9: RequireText(Utf8ToAnsi(arg)); break;
  }
  return 0;
}
