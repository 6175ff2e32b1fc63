// Row decoding speed, and what a listed row costs beyond its own bytes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "app/PacketRows.h"
#include "capture/RowDecoder.h"

namespace {

std::string Datagram(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string d = std::string("\x45\x00\x05\xDC\x12\x34\x40\x00\x40\x11\x00\x00\x7F\x00\x00\x01\x7F\x00\x00\x01", 20);
  while (d.size() < size) {
    char c = static_cast<char>(0x20 + rng() % 0x5F);  // printable text with a few zero bytes
    if (rng() % 50 == 0) c = '\0';
    if (c == '\'' || c == '\\' || c == '%') c = 'x';
    d += c;
  }
  return d;
}

void BM_DecodeRow1500(benchmark::State& state) {
  std::string d = Datagram(1500, 1);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeRow(kKindUdp, d));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(d.size()));
}
BENCHMARK(BM_DecodeRow1500);

// A million rows as capture lists them: the small cells plus a data cell.
void BM_MillionRowsMemory(benchmark::State& state) {
  const size_t rows = 1000000;
  std::string data(100, 'd');
  for (auto _ : state) {
    PacketRows list;
    size_t own = 0;
    for (size_t i = 0; i < rows; ++i) {
      list.Append({"UDP", "127.0.0.1", "50123", "127.0.0.1", "9999", "108", data});
      own += data.size();
    }
    state.counters["bytes_per_row_beyond_data"] =
        static_cast<double>(list.MemoryUsed() - own) / static_cast<double>(rows);
  }
}
BENCHMARK(BM_MillionRowsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
