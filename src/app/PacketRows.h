#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// The rows of the packet list: the only store of the captured data. Every cell
// keeps its exact bytes; a row costs its bytes plus a fixed record.
class PacketRows {
 public:
  static constexpr int kColumns = 7;
  using Cells = std::array<std::string_view, kColumns>;

  std::size_t Append(const Cells& cells);
  std::size_t Count() const { return rowCount_; }
  // Empty for a row or column out of range.
  std::string_view Cell(std::ptrdiff_t row, int column) const;
  void SetCell(std::size_t row, int column, std::string_view text);
  void Clear();
  // Bytes held, records and arena slack included.
  std::size_t MemoryUsed() const;

 private:
  struct Row {
    uint32_t chunk;
    uint32_t offset;
    uint32_t ends[kColumns];  // cumulative cell ends, from offset
  };
  Row Store(const Cells& cells);
  char* Reserve(std::size_t bytes, uint32_t& chunk, uint32_t& offset);
  Row& RowAt(std::size_t i) { return rowBlocks_[i / kRowsPerBlock][i % kRowsPerBlock]; }
  const Row& RowAt(std::size_t i) const { return rowBlocks_[i / kRowsPerBlock][i % kRowsPerBlock]; }

  static constexpr std::size_t kChunkSize = 1u << 20;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::size_t> chunkSizes_;
  std::size_t used_ = 0;  // bytes used in the last chunk
  // Row records in fixed blocks: a growing list never copies them to a
  // bigger array, and each block is its own allocation, so a cleared list
  // gives every block back whole instead of leaving holes of every size.
  static constexpr std::size_t kRowsPerBlock = 16384;
  std::vector<std::unique_ptr<Row[]>> rowBlocks_;
  std::size_t rowCount_ = 0;
};
