// Nanoseconds per conversion for the texts the key watcher reads on every pass and the
// numbers the key capture and the saved list file write.
#include "support/numtext.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void ReadText(benchmark::State& state, const char* text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(TextToNumber(text));
    }
    state.SetLabel(text);
}

void WriteNumber(benchmark::State& state, double value) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(NumberToText(value));
    }
    state.SetLabel(NumberToText(value));
}

// One call per iteration, cycling through the key codes.
void WriteKeyCodes(benchmark::State& state) {
    int code = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(code));
        code = (code + 1) & 255;
    }
    state.SetLabel("0 to 255");
}

}  // namespace

BENCHMARK_CAPTURE(ReadText, key, "17");
BENCHMARK_CAPTURE(ReadText, key, "88");
BENCHMARK_CAPTURE(ReadText, key, "255");
BENCHMARK_CAPTURE(ReadText, one_key, "-1");
BENCHMARK_CAPTURE(ReadText, hex, "&H41");
BENCHMARK_CAPTURE(ReadText, octal, "&O101");
BENCHMARK_CAPTURE(ReadText, long_decimal, "1234567890123456789012.0123456789");

BENCHMARK(WriteKeyCodes);
BENCHMARK_CAPTURE(WriteNumber, whole, 1999999.0);
BENCHMARK_CAPTURE(WriteNumber, exponent, 1e300);
