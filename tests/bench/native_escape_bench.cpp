#include <benchmark/benchmark.h>

#include "EscapeBenchInputs.h"
#include "convert/EscapeDecoding.h"

namespace {

void Run(benchmark::State& state, const std::vector<std::string>& inputs) {
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    const std::string& in = inputs[i++ % inputs.size()];
    benchmark::DoNotOptimize(ScriptUnescape(in, "\r\n"));
    bytes += in.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void RowLike(benchmark::State& state) {
  static const auto inputs = escapebench::Make(escapebench::RowLikeDatagram, 64);
  Run(state, inputs);
}

void TextLike(benchmark::State& state) {
  static const auto inputs = escapebench::Make(escapebench::TextLikeDatagram, 64);
  Run(state, inputs);
}

void PlainAscii(benchmark::State& state) {
  static const std::vector<std::string> inputs{std::string(escapebench::kDatagramSize, 'a')};
  Run(state, inputs);
}

void Ucs2ToAnsiTextLike(benchmark::State& state) {
  static const auto inputs = escapebench::Make(escapebench::TextLikeDatagram, 64);
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    const std::string& in = inputs[i++ % inputs.size()];
    benchmark::DoNotOptimize(Ucs2ToAnsi(in));
    bytes += in.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK(RowLike);
BENCHMARK(TextLike);
BENCHMARK(PlainAscii);
BENCHMARK(Ucs2ToAnsiTextLike);
BENCHMARK_MAIN();
