// The packet list's row store: exact bytes in, exact bytes out, across the
// boundaries of its blocks and chunks, and nothing held after a clear.
#include <gtest/gtest.h>

#include <string>

#include "app/PacketRows.h"

namespace {

PacketRows::Cells RowOf(const std::string& data) { return {"UDP", "127.0.0.1", "1", "10.0.0.2", "443", "28", data}; }

TEST(PacketRows, KeepsEveryCellsBytesAcrossBlocksAndChunks) {
  PacketRows rows;
  // Enough rows to fill more than one block of records and, with the long
  // ones, more than one chunk of bytes; zero bytes and high bytes included.
  const int count = 40000;
  for (int i = 0; i < count; ++i) {
    std::string data = std::to_string(i) + std::string("\0\xFF\r\n", 4);
    if (i % 1000 == 0) data += std::string(70000, static_cast<char>('a' + i % 26));
    ASSERT_EQ(rows.Append(RowOf(data)), static_cast<std::size_t>(i));
  }
  ASSERT_EQ(rows.Count(), static_cast<std::size_t>(count));
  for (int i : {0, 1, 16383, 16384, 16385, 32768, count - 1}) {
    SCOPED_TRACE(i);
    std::string data = std::to_string(i) + std::string("\0\xFF\r\n", 4);
    if (i % 1000 == 0) data += std::string(70000, static_cast<char>('a' + i % 26));
    EXPECT_EQ(rows.Cell(i, 6), data);
    EXPECT_EQ(rows.Cell(i, 0), "UDP");
    EXPECT_EQ(rows.Cell(i, 3), "10.0.0.2");
  }
}

TEST(PacketRows, OutOfRangeIsEmptyAndRewritesKeepTheOtherCells) {
  PacketRows rows;
  rows.Append(RowOf("first"));
  rows.Append(RowOf("second"));
  for (auto [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 7}}) EXPECT_EQ(rows.Cell(row, column), "");
  // The new text may be one of the store's own cells.
  rows.SetCell(0, 6, rows.Cell(1, 6));
  rows.SetCell(5, 6, "ignored");
  EXPECT_EQ(rows.Cell(0, 6), "second");
  EXPECT_EQ(rows.Cell(0, 4), "443");
  EXPECT_EQ(rows.Count(), 2u);
}

TEST(PacketRows, ClearGivesTheMemoryBack) {
  PacketRows rows;
  for (int i = 0; i < 20000; ++i) rows.Append(RowOf("payload"));
  EXPECT_GT(rows.MemoryUsed(), 0u);
  rows.Clear();
  EXPECT_EQ(rows.Count(), 0u);
  EXPECT_EQ(rows.MemoryUsed(), 0u);
  EXPECT_EQ(rows.Cell(0, 0), "");
  rows.Append(RowOf("again"));
  EXPECT_EQ(rows.Cell(0, 6), "again");
}

}  // namespace
