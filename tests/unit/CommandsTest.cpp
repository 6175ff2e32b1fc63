// What each conversion command stores and shows, without windows.
#include <gtest/gtest.h>

#include <string>

#include "convert/Commands.h"

namespace {

using convert::ConversionState;

// 中 in GBK and in UTF-8.
const std::string kGbk = "\xD6\xD0";
const std::string kUtf8 = "\xE4\xB8\xAD";

TEST(Commands, EachCommandStoresTheCellWhereItsKindSays) {
  struct Case {
    int index;
    bool storesBytes;
  } cases[] = {{0, false}, {1, false}, {2, false}, {3, false}, {4, false},
               {5, false}, {6, false}, {7, true},  {8, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    ConversionState state{"old text", "old bytes"};
    ASSERT_TRUE(convert::RunSingleCommand(c.index, "cell", state).has_value());
    EXPECT_EQ(state.selectedText, c.storesBytes ? "old text" : "cell");
    EXPECT_EQ(state.selectedBytes, c.storesBytes ? "cell" : "old bytes");
  }
}

TEST(Commands, AnEmptyCellOpensNothingButIsStillStored) {
  for (int index : {0, 6, 7, 8}) {
    SCOPED_TRACE(index);
    ConversionState state{"text", "bytes"};
    EXPECT_FALSE(convert::RunSingleCommand(index, "", state).has_value());
    EXPECT_TRUE(index >= 7 ? state.selectedBytes.empty() : state.selectedText.empty());
    EXPECT_FALSE(index >= 7 ? state.selectedText.empty() : state.selectedBytes.empty());
  }
  ConversionState untouched{"text", "bytes"};
  EXPECT_FALSE(convert::RunSingleCommand(9, "cell", untouched).has_value());
  EXPECT_FALSE(convert::RunSingleCommand(-1, "cell", untouched).has_value());
  EXPECT_EQ(untouched.selectedText, "text");
  EXPECT_EQ(untouched.selectedBytes, "bytes");
}

TEST(Commands, ResultsAreTheRoutinesOutputs) {
  ConversionState state;
  EXPECT_EQ(*convert::RunSingleCommand(4, kUtf8, state), kGbk);              // Utf8到Gb2312
  EXPECT_EQ(*convert::RunSingleCommand(3, kGbk, state), kUtf8);              // Gb2312到Utf8
  EXPECT_EQ(*convert::RunSingleCommand(5, "%u4E2D", state), kGbk);           // 编码Usc2到Ansi
  EXPECT_EQ(*convert::RunSingleCommand(7, std::string("\x2D\x4E", 2), state), kGbk);  // Unicode bytes
  EXPECT_EQ(*convert::RunSingleCommand(8, kUtf8, state), kGbk);              // 编码Utf8到Ansi
}

TEST(Commands, OneKeyViewJoinsEightViewsOfTheLastTextCommandsCell) {
  ConversionState empty;
  std::string separators;
  for (int i = 0; i < 7; ++i) separators += "\r\n\r\n";
  EXPECT_EQ(convert::OneKeyView(empty), separators);  // 28 bytes of line breaks

  // A byte command's cell is not read: the byte views also take selectedText.
  ConversionState state{kUtf8, "ignored"};
  const std::string view = convert::OneKeyView(state);
  const std::string last = view.substr(view.rfind("\r\n\r\n") + 4);
  EXPECT_EQ(last, kGbk);  // Utf8到Ansi of the text
  EXPECT_EQ(view.find("ignored"), std::string::npos);
}

}  // namespace
