// Native escape decoding against the script control it replaces, on the same
// 1,500-byte datagrams. Prints MB/s of both and their ratio.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "EscapeBenchInputs.h"
#include "convert/EscapeDecoding.h"
#include "win32/ScriptOracle.h"

namespace {

struct Figure {
  double mbPerSecond;
  double microsPerCall;
};

// Calls `one` on the inputs in turn until at least `seconds` have passed.
Figure Measure(const std::vector<std::string>& inputs, double seconds,
               const std::function<size_t(const std::string&)>& one) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  size_t bytes = 0, calls = 0, sink = 0;
  double elapsed = 0;
  do {
    for (int k = 0; k < 8; ++k) {
      const std::string& in = inputs[calls++ % inputs.size()];
      sink += one(in);
      bytes += in.size();
    }
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  if (sink == 1) std::puts("");  // keeps the results alive
  return {bytes / elapsed / 1e6, elapsed * 1e6 / static_cast<double>(calls)};
}

void Compare(const char* name, const std::vector<std::string>& inputs) {
  const Figure native = Measure(inputs, 1.0, [](const std::string& in) {
    return ScriptUnescape(in, "\r\n").size();
  });
  // As the program once did it: COM, a fresh control and a script per datagram.
  const Figure script = Measure(inputs, 2.0, [](const std::string& in) {
    return oracle::RunUnescapeScript(gbk::Replace(in, "\r\n", "%u")).size();
  });
  // The most a script engine could do: one control kept for every call.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Figure kept{};
  {
    oracle::ScriptControl control;
    kept = Measure(inputs, 2.0, [&](const std::string& in) {
      return control.RunUnescape(gbk::Replace(in, "\r\n", "%u")).size();
    });
  }
  CoUninitialize();

  std::printf("%s (1500-byte datagrams)\n", name);
  std::printf("  native decoder        %10.2f MB/s  %10.2f us/datagram\n", native.mbPerSecond,
              native.microsPerCall);
  std::printf("  script per datagram   %10.4f MB/s  %10.2f us/datagram  (native x%.0f)\n",
              script.mbPerSecond, script.microsPerCall, native.mbPerSecond / script.mbPerSecond);
  std::printf("  one script control    %10.4f MB/s  %10.2f us/datagram  (native x%.0f)\n",
              kept.mbPerSecond, kept.microsPerCall, native.mbPerSecond / kept.mbPerSecond);
}

}  // namespace

int main() {
  Compare("text-like", escapebench::Make(escapebench::TextLikeDatagram, 64));
  Compare("row-like", escapebench::Make(escapebench::RowLikeDatagram, 64));
  return 0;
}
