#pragma once
#include <optional>
#include <string_view>

#include "common/Text.h"

// The conversion commands of "数据待转" without their windows: what each one
// stores and what it shows.
namespace convert {

// Nine single commands in menu order (0..8), then the one-key view (9).
inline constexpr int kSingleCommands = 9;
inline constexpr int kOneKeyCommand = 9;

enum class CommandKind { kText, kByte, kOneKey };
CommandKind KindOfCommand(int index);

// The data cell as the last text command and the last byte command took it.
struct ConversionState {
  Text selectedText;
  Bytes selectedBytes;
};

// Stores the cell where the command's kind says (a text command replaces
// selectedText even with an empty cell) and returns the text to append, or
// nothing when the stored value is empty and no window should open.
std::optional<Text> RunSingleCommand(int index, std::string_view cell, ConversionState& state);

// The eight conversions of selectedText, joined by blank lines.
Text OneKeyView(const ConversionState& state);

// Empties both values and gives their memory back.
void ReleaseState(ConversionState& state);

}  // namespace convert
