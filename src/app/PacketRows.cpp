#include "app/PacketRows.h"

#include <cstring>

char* PacketRows::Reserve(std::size_t bytes, uint32_t& chunk, uint32_t& offset) {
  if (chunks_.empty() || used_ + bytes > chunkSizes_.back()) {
    std::size_t size = bytes > kChunkSize ? bytes : kChunkSize;
    chunks_.push_back(std::make_unique<char[]>(size));
    chunkSizes_.push_back(size);
    used_ = 0;
  }
  chunk = static_cast<uint32_t>(chunks_.size() - 1);
  offset = static_cast<uint32_t>(used_);
  used_ += bytes;
  return chunks_.back().get() + offset;
}

PacketRows::Row PacketRows::Store(const Cells& cells) {
  std::size_t total = 0;
  for (auto c : cells) total += c.size();
  Row row{};
  char* p = Reserve(total, row.chunk, row.offset);
  uint32_t end = 0;
  for (int i = 0; i < kColumns; ++i) {
    // A cell may come from this store: Reserve never moves an existing chunk.
    if (!cells[i].empty()) std::memmove(p + end, cells[i].data(), cells[i].size());
    end += static_cast<uint32_t>(cells[i].size());
    row.ends[i] = end;
  }
  return row;
}

std::size_t PacketRows::Append(const Cells& cells) {
  const Row row = Store(cells);
  if (rowCount_ % kRowsPerBlock == 0) rowBlocks_.emplace_back(new Row[kRowsPerBlock]);
  RowAt(rowCount_) = row;
  return rowCount_++;
}

std::string_view PacketRows::Cell(std::ptrdiff_t row, int column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rowCount_ || column < 0 || column >= kColumns) return {};
  const Row& r = RowAt(static_cast<std::size_t>(row));
  uint32_t begin = column == 0 ? 0 : r.ends[column - 1];
  return std::string_view(chunks_[r.chunk].get() + r.offset + begin, r.ends[column] - begin);
}

void PacketRows::SetCell(std::size_t row, int column, std::string_view text) {
  if (row >= rowCount_ || column < 0 || column >= kColumns) return;
  // Rewrites are rare (the decoder writes whole rows): the row moves to fresh
  // space; the old bytes stay until the list is cleared.
  Cells cells;
  for (int i = 0; i < kColumns; ++i) cells[i] = Cell(static_cast<std::ptrdiff_t>(row), i);
  cells[column] = text;
  RowAt(row) = Store(cells);
}

void PacketRows::Clear() {
  // Swapped with empties so the memory goes back, not just the sizes.
  std::vector<std::unique_ptr<Row[]>>().swap(rowBlocks_);
  rowCount_ = 0;
  std::vector<std::unique_ptr<char[]>>().swap(chunks_);
  std::vector<std::size_t>().swap(chunkSizes_);
  used_ = 0;
}

std::size_t PacketRows::MemoryUsed() const {
  std::size_t bytes = rowBlocks_.size() * kRowsPerBlock * sizeof(Row) + rowBlocks_.capacity() * sizeof(void*);
  for (auto s : chunkSizes_) bytes += s;
  return bytes;
}
