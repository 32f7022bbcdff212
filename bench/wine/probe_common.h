// What the large-list probes share: the real program started as a process of its own in a
// folder whose data.ini holds a given number of entries, its main window found from outside,
// clicks sent as a user's, and figures summed up. Each probe prints tab-separated lines that
// scripts/bench-largelist.sh lays out side by side. Nothing here passes or fails on a time.
// Kept header-only because tools are single-file programs.
#pragma once

#include <windows.h>

#include "bench/wine/clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace probe {

using ::NowMs;

// The program's control and command numbers, as a user's clicks reach them.
enum : int {
    kSoundList = 1000,
    kEditButton = 1010,
    kAddButton = 1009,
    kDeleteButton = 1011,
    kRegisterToggle = 1012,
    kClearListCommand = 1023,
};

// Longer than anything measured takes; an answer that never comes counts as this.
constexpr UINT kAnswerTimeoutMs = 120000;


inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

inline double Median(const std::vector<double>& values) { return Percentile(values, 0.5); }

inline double Max(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::max_element(values.begin(), values.end());
}

// Entries on key 7, which no key of a keyboard sends: the watcher reads every row of every
// pass and plays nothing. Each path names its section, so the rows can be told apart.
inline bool WriteDataIni(const std::string& dir, int rows) {
    std::string text = "[LISTNUM]\r\nLIST=" + std::to_string(rows) + "\r\n";
    for (int i = 0; i < rows; ++i) {
        text += "[LIST" + std::to_string(i) + "]\r\nkey1=7\r\nkey2=-1\r\npath=C:\\none\\row-" +
                std::to_string(i) + ".wav\r\n";
    }
    FILE* file = std::fopen((dir + "\\data.ini").c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

inline std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string own(path);
    return own.substr(0, own.find_last_of('\\'));
}

struct WindowSearch {
    DWORD pid;
    HWND found;
};

inline BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid != search->pid || std::strcmp(className, "NORMAL0") != 0 || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The chordbell.exe beside the probe, run in a folder of its own and ended without a save
// unless Close() is called.
class Program {
  public:
    explicit Program(std::string dir) : dir_(std::move(dir)) {}
    ~Program() { Kill(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + OwnFolder() + "\\chordbell.exe\"";
        return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &startup,
                              &process_) != 0;
    }

    // Polls as fast as the window list can be read, so the moment it shows is not missed.
    HWND WaitForWindow(DWORD timeoutMs) {
        const double start = NowMs();
        while (NowMs() - start < timeoutMs) {
            WindowSearch search = {process_.dwProcessId, nullptr};
            EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found) return window_ = search.found;
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
            Sleep(1);
        }
        return nullptr;
    }

    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // How long the user-interface thread takes to serve one message; -1 when it never did.
    double Answer(HWND to, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) const {
        DWORD_PTR answer = 0;
        const double start = NowMs();
        const LRESULT sent = SendMessageTimeoutA(to, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &answer);
        const double took = NowMs() - start;
        if (result) *result = static_cast<LRESULT>(answer);
        return sent ? took : -1;
    }

    LRESULT Ask(HWND to, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        LRESULT result = 0;
        Answer(to, message, wParam, lParam, &result);
        return result;
    }

    // A button's command as its click delivers it, served before the send returns.
    double Command(int id) const {
        return Answer(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }

    bool Exited(DWORD timeoutMs) const { return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0; }

    void Kill() {
        if (process_.hProcess == nullptr) return;
        if (!Exited(0)) {
            TerminateProcess(process_.hProcess, 99);
            Exited(30000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        window_ = nullptr;
    }

  private:
    std::string dir_;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// Until the control has nothing left to paint: what the user sees has caught up.
inline double WaitPainted(HWND control, double since, DWORD timeoutMs = 60000) {
    while (GetUpdateRect(control, nullptr, FALSE)) {
        if (NowMs() - since > timeoutMs) return -1;
        Sleep(1);
    }
    return NowMs() - since;
}

inline void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void ClickAt(int x, int y) {
    SetCursorPos(x, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

inline void ClickCentre(HWND control) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

inline void PrintRow(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

inline std::string Ms(double value) {
    if (value < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
    return text;
}

}  // namespace probe
