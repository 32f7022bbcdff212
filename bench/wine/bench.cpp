#include "bench/wine/bench.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

std::string Ms(double value) {
    if (value < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
    return text;
}

std::string Spread(const std::vector<double>& values) {
    return Ms(Percentile(values, 0.5)) + " / " + Ms(Percentile(values, 0.95)) + " / " + Ms(Percentile(values, 1));
}

int Usage(const char* arguments) {
    std::fprintf(stderr, "usage: cbbench %s\n", arguments);
    return 2;
}

int main(int argc, char** argv) {
    const struct {
        const char* name;
        int (*run)(int, char**);
    } tools[] = {{"host", RunWatcherHost}, {"press", RunKeyPresser}, {"largelist", RunLargeList},
                 {"savedlist", RunSavedList}};
    for (const auto& tool : tools) {
        if (argc > 1 && std::strcmp(argv[1], tool.name) == 0) return tool.run(argc - 2, argv + 2);
    }
    return Usage("host|press|largelist|savedlist ...");
}
