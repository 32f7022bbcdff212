#include "tests/wine/scenario/program.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "chordbell.exe";
}

namespace {

struct WindowSearch {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || ClassName(window) != search->className) return TRUE;
    if (search->title != nullptr && TextOf(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const char* className, const char* title) {
    WindowSearch search = {pid, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[2048] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 60000, &copied);
    return std::string(text, copied < sizeof text ? copied : 0);
}

bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                DWORD_PTR* result) {
    DWORD_PTR ignored = 0;
    // Wine returns the message's result rather than TRUE, so a zero is a failure only when it
    // comes with an error (a timeout, a window that is gone).
    SetLastError(0);
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                               result ? result : &ignored) != 0 ||
           GetLastError() == 0;
}

Program::~Program() {
    if (process_.hProcess == nullptr) return;
    if (Running()) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

bool Program::Start(const std::string& directory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = "\"" + ProgramPath() + "\"";
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          directory.c_str(), &startup, &process_) != FALSE;
}

bool Program::Running() const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
    DWORD code = 12345;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool Program::ReadListCell(HWND list, int row, int column, std::string* text) const {
    constexpr int kLimit = 1024;
    const SIZE_T size = sizeof(LVITEMA) + kLimit;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process_.hProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) return false;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = kLimit;
    std::vector<char> buffer(kLimit, '\0');
    bool read = WriteProcessMemory(process_.hProcess, remote, &item, sizeof item, nullptr) &&
                WriteProcessMemory(process_.hProcess, item.pszText, buffer.data(), kLimit,
                                   nullptr) &&
                SendWithin(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote), 60000) &&
                ReadProcessMemory(process_.hProcess, item.pszText, buffer.data(), kLimit, nullptr);
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    if (read) text->assign(buffer.data(), strnlen(buffer.data(), kLimit));
    return read;
}

void PressKey(WORD vk, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

bool TrayIconExists(HWND window, UINT id) {
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = id;
    probe.uFlags = NIF_TIP;
    lstrcpynA(probe.szTip, "ChordBell", sizeof probe.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
