#include "convert/Commands.h"

#include <array>

#include "convert/CodePageRoutines.h"
#include "convert/EscapeDecoding.h"

namespace convert {

namespace {

Text Convert(int index, const ConversionState& s) {
  switch (index) {
    case 0: return TraditionalToSimplified(s.selectedText);
    case 1: return GbkToBig5(s.selectedText);
    case 2: return Big5ToSimplified(s.selectedText);
    case 3: return Gb2312ToUtf8(s.selectedText);
    case 4: return Utf8ToGb2312(s.selectedText);
    case 5: return Ucs2ToAnsi(s.selectedText);
    case 6: return ScriptUnescape(s.selectedText, "\r\n");
    case 7: return UnicodeToAnsi(s.selectedBytes);
    case 8: return Utf8ToAnsi(s.selectedBytes);
  }
  return {};
}

}  // namespace

CommandKind KindOfCommand(int index) {
  if (index == kOneKeyCommand) return CommandKind::kOneKey;
  return index >= 7 ? CommandKind::kByte : CommandKind::kText;
}

std::optional<Text> RunSingleCommand(int index, std::string_view cell, ConversionState& state) {
  if (index < 0 || index >= kSingleCommands) return std::nullopt;
  Text& store = KindOfCommand(index) == CommandKind::kByte ? state.selectedBytes : state.selectedText;
  store = TextOf(cell);
  if (store.empty()) return std::nullopt;
  return Convert(index, state);
}

Text OneKeyView(const ConversionState& state) {
  // The one-key view reads only selectedText, the byte routines included.
  ConversionState fromText{state.selectedText, state.selectedText};
  static constexpr std::array<int, 8> kOrder = {0, 1, 2, 3, 4, 5, 7, 8};
  Text out;
  for (std::size_t i = 0; i < kOrder.size(); ++i) {
    if (i) out += "\r\n\r\n";
    out += Convert(kOrder[i], fromText);
  }
  return out;
}

void ReleaseState(ConversionState& state) {
  Text().swap(state.selectedText);
  Bytes().swap(state.selectedBytes);
}

}  // namespace convert
