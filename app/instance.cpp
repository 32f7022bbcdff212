// One running copy per saved list. Two copies on the same data.ini would play every key twice,
// and whichever closed last would overwrite the other's changes. A copy that finds another
// already running on its data.ini hands over to it: it brings that copy's window to the front
// and ends before it has created or loaded anything.
//
// The running copy describes itself in a small named shared-memory record. The name is a hash
// of the upper-cased full path of data.ini, so that paths differing only in case (which Windows
// takes for one file) meet; the record holds the path itself too, and the window it names must
// be a main window of ChordBell's own class in the recorded process, so neither a hash
// collision nor an unrelated program's window is taken for a running copy.
#include "app/app.h"

#include <cstdint>
#include <string>

#include "soundlist/soundlist.h"
#include "support/namekey.h"
#include "tray/tray.h"

namespace {

// The same layout in 32- and 64-bit processes: a window handle is a 32-bit value, widened with
// its sign on 64-bit Windows.
struct RunningCopy {
    volatile uint32_t processId;  // 0 until the record is complete
    volatile int32_t mainWindow;  // 0 until the window exists
    wchar_t savedList[PATH_TEXT_LIMIT];
};

constexpr DWORD kStartingCopyWaitMs = 10000;
constexpr DWORD kAnswerWaitMs = 5000;

HANDLE g_mapping;      // held for the whole run: the record lives as long as a copy does
RunningCopy* g_record;

std::wstring UpperCaseWidePath(const char* path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

bool IsAlive(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return false;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

// The recorded window, if it is still a ChordBell main window of the recorded process.
HWND RecordedWindow() {
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(g_record->mainWindow));
    DWORD owner = 0;
    char className[sizeof kMainClassName + 1] = {};
    if (window == nullptr || !GetWindowThreadProcessId(window, &owner) ||
        owner != g_record->processId) {
        return nullptr;
    }
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, kMainClassName) == 0 ? window : nullptr;
}

// Waits while the other copy is still starting: its record or its window may not exist yet.
HWND WaitForRecordedWindow() {
    const DWORD start = GetTickCount();
    for (;;) {
        if (g_record->processId != 0 && g_record->mainWindow != 0) return RecordedWindow();
        if (g_record->processId != 0 && !IsAlive(g_record->processId)) return nullptr;
        if (GetTickCount() - start > kStartingCopyWaitMs) return nullptr;
        Sleep(50);
    }
}

// Shown exactly as a click on its tray icon would show it, then brought to the front. Every step
// is bounded: ShowWindow on another thread's window would wait for that thread, so a hung copy
// would hang this one too; the asynchronous form only posts the request.
void BringToFront(HWND window) {
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(window, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN, SMTO_ABORTIFHUNG, kAnswerWaitMs,
                        &unused);
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(window);
}

void ClaimRecord(const std::wstring& path) {
    g_record->mainWindow = 0;
    lstrcpynW(g_record->savedList, path.c_str(), PATH_TEXT_LIMIT);
    MemoryBarrier();
    g_record->processId = GetCurrentProcessId();
}

}  // namespace

// Where the check cannot be made (no path, no shared memory), the program starts as it would
// have without it.
bool HandOverToRunningCopy() {
    InitSavedListPath();  // the main window fixes it again from the same, unchanged folder
    if (SavedListPath()[0] == '\0') return false;
    const std::wstring path = UpperCaseWidePath(SavedListPath());
    const std::string bytes(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t));
    const std::string name = HashedName("Local\\ChordBell-", bytes);
    g_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   sizeof(RunningCopy), name.c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (g_mapping == nullptr) return false;
    g_record = static_cast<RunningCopy*>(MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (g_record == nullptr) return false;
    if (existed) {
        HWND running = WaitForRecordedWindow();
        const bool sameList = lstrcmpW(g_record->savedList, path.c_str()) == 0;
        if (running != nullptr && !sameList) return false;  // another list's copy: leave its record
        if (running != nullptr) {
            BringToFront(running);
            return true;
        }
        if (g_record->processId != 0 && g_record->mainWindow == 0 && IsAlive(g_record->processId)) {
            return true;  // still starting after the wait: it shows its own window
        }
    }
    ClaimRecord(path);  // first here, or the recorded copy is gone (or closing)
    return false;
}

void PublishMainWindow(HWND window) {
    if (g_record != nullptr) {
        g_record->mainWindow = static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
    }
}
