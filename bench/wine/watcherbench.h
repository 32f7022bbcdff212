// The host side of scripts/bench-watcher.sh, shared by its two hosts: the program's own main
// window with its watcher (watcher_tests.exe, WatcherBenchmark.Host) and the bare loop
// (bareloop.exe). Both fill the list the same way, time the watcher's passes the same way and
// answer the script through files in CB_BENCH_DIR:
//   ready      written once the rows are in and the passes are being timed
//   stop       written by the script; the host then writes passes.txt and ends
// Environment: CB_BENCH_ROWS (rows), CB_BENCH_DIR (Windows path), CB_BENCH_IDLE_MS (how long
// after "ready" the passes count as idle ones: nothing is pressed then).
// Kept header-only because tools are single-file programs.
#pragma once

#include <windows.h>

#include "bench/wine/clock.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace watcherbench {

using ::NowMs;

constexpr int kBenchKey = VK_F8;  // on the bottom row: every pass reads all rows before it

struct Settings {
    int rows = 0;
    std::string dir;
    double idleMs = 0;
};

inline bool ReadSettings(Settings* settings) {
    const char* rows = std::getenv("CB_BENCH_ROWS");
    const char* dir = std::getenv("CB_BENCH_DIR");
    const char* idle = std::getenv("CB_BENCH_IDLE_MS");
    if (!rows || !dir || !idle) return false;
    settings->rows = std::atoi(rows);
    settings->dir = dir;
    settings->idleMs = std::atof(idle);
    return settings->rows > 0;
}


// A 50 ms constant tone, mono 16-bit 8 kHz.
inline std::string WriteBenchSound(const std::string& dir) {
    const uint32_t samples = 400;
    const uint32_t dataBytes = samples * 2;
    const uint32_t header[] = {0x46464952, 36 + dataBytes, 0x45564157, 0x20746d66, 16,
                               0x00010001, 8000, 16000, 0x00100002, 0x61746164, dataBytes};
    const std::string path = dir + "\\bench.wav";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path;
    std::fwrite(header, sizeof header, 1, file);
    const int16_t value = 3000;
    for (uint32_t i = 0; i < samples; ++i) std::fwrite(&value, sizeof value, 1, file);
    std::fclose(file);
    return path;
}

// rows - 1 entries on a key nobody presses, then the bench key's entry at the bottom.
template <typename Insert>
void FillRows(HWND list, int rows, const std::string& sound, Insert insertTopRow) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    insertTopRow(std::to_string(kBenchKey).c_str(), "-1", sound.c_str());
    for (int i = 1; i < rows; ++i) insertTopRow("7", "-1", "C:\\none.wav");
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

// Each pass starts with the row count, asked from the watcher thread: the time between two
// such questions is one pass, its 16 ms sleep included.
inline std::vector<double>& PassStarts() {
    static std::vector<double> starts;
    return starts;
}

inline WNDPROC& ListProc() {
    static WNDPROC proc = nullptr;
    return proc;
}

inline LRESULT CALLBACK TimingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_GETITEMCOUNT && InSendMessage()) PassStarts().push_back(NowMs());
    return CallWindowProcA(ListProc(), list, message, wParam, lParam);
}

inline void TimePasses(HWND list) {
    ListProc() = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimingListProc)));
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void Touch(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file) std::fclose(file);
}

inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
}

// Serves the watcher's messages as a message loop does until the script says stop, then
// writes the idle passes: "passes N p50 P p95 Q" in milliseconds.
inline void ServeUntilStopped(const Settings& settings) {
    Touch(settings.dir + "\\ready");
    const double ready = NowMs();
    while (!Exists(settings.dir + "\\stop")) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    std::vector<double> passes;
    const std::vector<double>& starts = PassStarts();
    for (size_t i = 1; i < starts.size(); ++i) {
        if (starts[i - 1] >= ready && starts[i] <= ready + settings.idleMs) {
            passes.push_back(starts[i] - starts[i - 1]);
        }
    }
    FILE* out = std::fopen((settings.dir + "\\passes.txt").c_str(), "w");
    if (!out) return;
    std::fprintf(out, "passes %zu p50 %.2f p95 %.2f\n", passes.size(), Percentile(passes, 0.5),
                 Percentile(passes, 0.95));
    std::fclose(out);
}

}  // namespace watcherbench
