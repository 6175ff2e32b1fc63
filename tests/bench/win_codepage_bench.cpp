// Throughput of the code-page routines on the platform's own conversions.
// Usage: win_codepage_bench DIR [REPEATS]
// DIR holds one text in four encodings: trad.gbk, trad.big5, trad.utf8 and
// trad.utf16le (scripts/bench_codepages.sh makes them). Prints one line per
// routine: name, input file, input bytes, best seconds, MB/s (10^6 bytes), check;
// then "fresh-memory" and the milliseconds per 10^6 bytes that first touching
// newly allocated memory costs, which every result pays for its own bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "convert/CodePageRoutines.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(2);
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Run {
  const char* name;
  const char* file;
  const std::string* input;
  std::function<std::string(const std::string&)> routine;
  std::function<bool(const std::string&)> check;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: win_codepage_bench DIR [REPEATS]\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "\\";
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string gbk = ReadFile(dir + "trad.gbk");
  const std::string big5 = ReadFile(dir + "trad.big5");
  const std::string utf8 = ReadFile(dir + "trad.utf8");
  const std::string utf16 = ReadFile(dir + "trad.utf16le");
  const std::string simplified = TraditionalToSimplified(gbk);

  auto equals = [](const std::string& want) {
    return [&want](const std::string& got) { return got == want; };
  };
  const Run runs[] = {
      {"TraditionalToSimplified", "trad.gbk", &gbk, TraditionalToSimplified,
       [&](const std::string& r) { return r.size() == gbk.size() && r != gbk; }},
      {"Big5ToGbk", "trad.big5", &big5, Big5ToGbk, equals(gbk)},
      {"GbkToBig5", "trad.gbk", &gbk, GbkToBig5, equals(big5)},
      {"Big5ToSimplified", "trad.big5", &big5, Big5ToSimplified, equals(simplified)},
      {"TextToWide", "trad.gbk", &gbk,
       [](const std::string& s) { return TextToWide(s, 936, true); },
       [&](const std::string& r) { return r == utf16 + std::string(2, '\0'); }},
      {"WideToText", "trad.utf16le", &utf16,
       [](const std::string& s) { return WideToText(s, 936, true); }, equals(gbk)},
      {"Gb2312ToUtf8", "trad.gbk", &gbk, Gb2312ToUtf8, equals(utf8)},
      {"Utf8ToGb2312", "trad.utf8", &utf8, Utf8ToGb2312, equals(gbk)},
      {"UnicodeToAnsi", "trad.utf16le", &utf16, UnicodeToAnsi, equals(gbk)},
      {"Utf8ToAnsi", "trad.utf8", &utf8, Utf8ToAnsi, equals(gbk)},
  };

  bool allOk = true;
  for (const Run& run : runs) {
    double best = 1e30;
    bool ok = true;
    for (int i = 0; i < repeats; ++i) {
      const auto start = std::chrono::steady_clock::now();
      const std::string result = run.routine(*run.input);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      best = std::min(best, took.count());
      if (i == 0) ok = run.check(result);
    }
    allOk = allOk && ok;
    std::printf("%s %s %zu %.6f %.1f %s\n", run.name, run.file, run.input->size(), best,
                static_cast<double>(run.input->size()) / best / 1e6, ok ? "ok" : "WRONG");
    std::fflush(stdout);
  }
  double fresh = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::string block(16000000, static_cast<char>(i));
    volatile char kept = block[block.size() / 2];  // so that the block is really made
    (void)kept;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    fresh = std::min(fresh, took.count() * 1e3 / 16);
  }
  std::printf("fresh-memory %.2f\n", fresh);
  return allOk ? 0 : 1;
}
