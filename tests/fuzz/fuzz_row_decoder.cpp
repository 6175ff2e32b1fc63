// Captured bytes of any shape must decode without fault into seven cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "capture/RowDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view datagram(reinterpret_cast<const char*>(data), size);
  auto kind = ClassifyDatagram(datagram);
  if ((size < 10) != !kind && size < 10) std::abort();
  DecodedRow row = DecodeRow(kind.value_or(kKindIp), datagram);
  if (row.packetText.size() != size) std::abort();
  if (row.packetText.find('\0') != std::string::npos) std::abort();
  for (const auto& cell : row.cells)
    if (cell.find('\0') != std::string::npos) std::abort();
  ReadCount(datagram);
  return 0;
}
