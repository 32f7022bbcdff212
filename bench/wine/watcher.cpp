// The two sides of scripts/bench-watcher.sh. The host, "program" (the program's own window and
// watcher) or "bare" (a plain window and a thread making the watcher's pass with nothing around
// it), fills its list, writes DIR\ready, serves until DIR\stop appears and prints the passes (row
// count to row count) of the first IDLE_MS after ready. The presser presses the key from a process
// of its own after QUIET_MS of silence and a random wait below JITTER_MS, so that presses fall at
// every moment of a pass, and times each until new bytes reach the capture file.
// Usage: cbbench host bare|program ROWS DIR IDLE_MS               prints "passes N p50 P p95 Q"
//        cbbench press PRESSES QUIET_MS JITTER_MS CAPTURE_FILE    prints "presses N missed M p50 P p95 Q"
#include "bench/wine/bench.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "support/numtext.h"

namespace {

constexpr int kBenchKey = VK_F8;  // its entry is the bottom row: a press waits for a whole pass

std::vector<double> g_passStarts;
WNDPROC g_listProc = nullptr;
DWORD g_uiThread = 0;

LRESULT CALLBACK TimingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_GETITEMCOUNT && InSendMessage()) g_passStarts.push_back(NowMs());
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

bool Down(const char* key) { return GetAsyncKeyState(TruncateToInt32(TextToNumber(key))) != 0; }

// The program's list door, without the pause checks.
DWORD WINAPI BarePass(LPVOID) {
    Entry entry = {};
    for (;;) {
        const int rows = SoundListRowCount();
        for (int row = 0; row < rows; ++row) {
            ReadEntry(row, &entry);
            if (TextToNumber(entry.key2) > 0 ? Down(entry.key1) & Down(entry.key2) : Down(entry.key1)) {
                PlaySoundA(entry.path, nullptr, SND_FILENAME);
            }
        }
        Sleep(16);
    }
}

// The program's list helpers work on whatever window the shared state names, so the bare list
// is filled by the same code as the program's.
void StartBareLoop() {
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    g_shared.mainWindow = CreateWindowExA(0, "STATIC", "bare loop", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                          480, 360, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                    145, 165, 320, 140, g_shared.mainWindow, reinterpret_cast<HMENU>(INT_PTR{IDC_SOUND_LIST}),
                    nullptr, nullptr);
    for (int column = 0; column < 3; ++column) {
        LVCOLUMNA definition = {};
        definition.mask = LVCF_WIDTH | LVCF_SUBITEM;
        definition.cx = column == 2 ? 200 : 50;
        definition.iSubItem = column;
        SendMessageA(SoundListControl(), LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&definition));
    }
    CreateThread(nullptr, 0, BarePass, nullptr, 0, nullptr);
}

// A 50 ms constant tone, mono 16-bit 8 kHz.
std::string WriteSound(const std::string& dir) {
    const uint32_t header[] = {0x46464952, 836, 0x45564157, 0x20746d66, 16, 0x00010001, 8000, 16000, 0x00100002,
                               0x61746164, 800};
    std::ofstream file(dir + "\\bench.wav", std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int sample = 0; sample < 400; ++sample) file.write("\xB8\x0B", 2);  // 3000
    return dir + "\\bench.wav";
}

// Ends the message loop once the script asks for it.
DWORD WINAPI StopWhenAsked(LPVOID dir) {
    const std::string stop = *static_cast<const std::string*>(dir) + "\\stop";
    while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(100);
    return PostThreadMessageA(g_uiThread, WM_QUIT, 0, 0);
}

ULONGLONG FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Until the capture has not grown for QUIET_MS; false after a minute.
bool WaitQuiet(const char* capture, DWORD quietMs) {
    for (const double start = NowMs(); NowMs() - start < 60000;) {
        const ULONGLONG size = FileSize(capture);
        Sleep(quietMs);
        if (FileSize(capture) == size) return true;
    }
    return false;
}

void Key(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki = {kBenchKey, 0, flags, 0, 0};
    SendInput(1, &input, sizeof input);
}

}  // namespace

int RunWatcherHost(int argc, char** argv) {
    const std::string host = argc == 4 ? argv[0] : "";
    if (host != "bare" && host != "program") return Usage("host bare|program ROWS DIR IDLE_MS");
    std::string dir = argv[2];
    SetCurrentDirectoryA(dir.c_str());  // no saved list of another run is loaded
    if (host == "bare") {
        StartBareLoop();
    } else {
        CreateSharedResources();
        CreateMainWindow();
    }
    // Entries on a key nobody presses above the bench key's entry.
    Rows rows(std::max(0, std::atoi(argv[1]) - 1), {"7", "-1", "C:\\none.wav"});
    rows.push_back({std::to_string(kBenchKey), "-1", WriteSound(dir)});
    FillList(rows);
    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(SoundListControl(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimingListProc)));
    std::fclose(std::fopen((dir + "\\ready").c_str(), "w"));
    const double ready = NowMs();
    g_uiThread = GetCurrentThreadId();
    CreateThread(nullptr, 0, StopWhenAsked, &dir, 0, nullptr);
    RunMessageLoop();

    std::vector<double> passes;
    for (size_t i = 1; i < g_passStarts.size(); ++i) {
        if (g_passStarts[i - 1] >= ready && g_passStarts[i] <= ready + std::atof(argv[3])) {
            passes.push_back(g_passStarts[i] - g_passStarts[i - 1]);
        }
    }
    std::printf("passes %zu p50 %.1f p95 %.1f\n", passes.size(), Percentile(passes, 0.5),
                Percentile(passes, 0.95));
    return 0;
}

int RunKeyPresser(int argc, char** argv) {
    if (argc != 4) return Usage("press PRESSES QUIET_MS JITTER_MS CAPTURE_FILE");
    const char* capture = argv[3];
    std::srand(GetTickCount());
    std::vector<double> latencies;
    int missed = 0;
    for (int i = 0; i < std::atoi(argv[0]); ++i) {
        if (!WaitQuiet(capture, static_cast<DWORD>(std::atoi(argv[1])))) {
            std::fprintf(stderr, "cbbench press: the capture never fell quiet\n");
            return 1;
        }
        Sleep(static_cast<DWORD>(std::rand() % std::max(1, std::atoi(argv[2]))));
        const ULONGLONG before = FileSize(capture);
        const double down = NowMs();
        Key(0);
        while (FileSize(capture) == before && NowMs() - down < 20000) Sleep(1);
        if (FileSize(capture) == before) ++missed;
        else latencies.push_back(NowMs() - down);
        Key(KEYEVENTF_KEYUP);
    }
    std::printf("presses %zu missed %d p50 %.1f p95 %.1f\n", latencies.size(), missed, Percentile(latencies, 0.5),
                Percentile(latencies, 0.95));
    return latencies.empty() ? 1 : 0;
}
