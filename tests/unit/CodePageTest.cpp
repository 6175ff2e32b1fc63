#include <gtest/gtest.h>

#include "common/CodePage.h"

using namespace codepage;

TEST(CodePage, LiteralsBecomeGbkAndBack) {
  EXPECT_EQ(Gbk("中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Utf8FromGbk("\xD6\xD0\xCE\xC4"), "中文");
  EXPECT_EQ(Gbk(""), "");
}

TEST(CodePage, CallingConventions) {
  // Size query with the terminator, then a fill; too small a buffer gives 0.
  const char* gbk = "\xD6\xD0";
  EXPECT_EQ(MultiByteToWide(kGbk, 0, gbk, -1, nullptr, 0), 2);
  char16_t w[2] = {};
  EXPECT_EQ(MultiByteToWide(kGbk, 0, gbk, -1, w, 2), 2);
  EXPECT_EQ(w[0], u'\x4E2D');
  EXPECT_EQ(w[1], u'\0');
  EXPECT_EQ(MultiByteToWide(kGbk, 0, gbk, -1, w, 1), 0);
  EXPECT_EQ(MultiByteToWide(kGbk, 0, gbk, 0, nullptr, 0), 0);
  // Code page 0 is 936 on every system.
  EXPECT_EQ(MultiByteToWide(kAnsi, 0, gbk, 2, nullptr, 0), 1);
  const char16_t euro[] = u"\x20AC\x0E01";
  EXPECT_EQ(FromWide(kGbk, std::u16string_view(euro + 1, 1)), "?");
}
