// Presses a key from a process of its own, as a user would, and times each press from the
// key-down to the first new bytes in the sound capture file (CB_CAPTURE_FILE).
// Usage: keypresser VK PRESSES QUIET_MS OUT_FILE
// Before each press it waits until nothing has been played for QUIET_MS, plus a random part
// of a watcher pass, so that the presses do not lock onto the watcher's rhythm.
#include <windows.h>

#include "bench/wine/clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const char* g_capture = nullptr;

ULONGLONG CaptureSize() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(g_capture, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}


void Key(WORD vk, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

bool WaitQuiet(double quietMs, double timeoutMs) {
    const double start = NowMs();
    ULONGLONG size = CaptureSize();
    double since = start;
    while (NowMs() - start < timeoutMs) {
        Sleep(5);
        const ULONGLONG now = CaptureSize();
        if (now != size) {
            size = now;
            since = NowMs();
        } else if (NowMs() - since >= quietMs) {
            return true;
        }
    }
    return false;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(p * (values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    g_capture = std::getenv("CB_CAPTURE_FILE");
    if (argc != 5 || !g_capture) {
        std::fprintf(stderr, "usage: keypresser VK PRESSES QUIET_MS OUT_FILE (with CB_CAPTURE_FILE)\n");
        return 2;
    }
    const WORD vk = static_cast<WORD>(std::atoi(argv[1]));
    const int presses = std::atoi(argv[2]);
    const double quietMs = std::atof(argv[3]);
    FILE* out = std::fopen(argv[4], "w");
    if (!out) return 2;
    srand(GetTickCount());
    std::vector<double> latencies;
    int missed = 0;
    for (int i = 0; i < presses; ++i) {
        if (!WaitQuiet(quietMs, 60000)) {
            std::fprintf(stderr, "keypresser: the capture never fell quiet\n");
            return 1;
        }
        Sleep(static_cast<DWORD>(rand() % 50));
        const ULONGLONG before = CaptureSize();
        const double down = NowMs();
        Key(vk, 0);
        double latency = -1;
        while (NowMs() - down < 20000) {
            if (CaptureSize() > before) {
                latency = NowMs() - down;
                break;
            }
            Sleep(1);
        }
        Key(vk, KEYEVENTF_KEYUP);
        if (latency < 0) {
            ++missed;
            continue;
        }
        latencies.push_back(latency);
        std::fprintf(out, "%.2f\n", latency);
    }
    std::fclose(out);
    if (latencies.empty()) {
        std::printf("presses 0 missed %d\n", missed);
        return 1;
    }
    std::printf("presses %zu missed %d p50 %.1f p95 %.1f min %.1f max %.1f\n", latencies.size(),
                missed, Percentile(latencies, 0.5), Percentile(latencies, 0.95),
                *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()));
    return missed == 0 ? 0 : 1;
}
