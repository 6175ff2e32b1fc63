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
  std::size_t Count() const { return rows_.size(); }
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

  static constexpr std::size_t kChunkSize = 1u << 20;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::size_t> chunkSizes_;
  std::size_t used_ = 0;  // bytes used in the last chunk
  std::vector<Row> rows_;
};
