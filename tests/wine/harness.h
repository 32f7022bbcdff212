// What the Wine tests share: files, waits with deadlines, input, message boxes, list rows of any
// process, the sound capture, the real main window in this process and the real program in one
// of its own.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "soundlist/soundlist.h"

using Row = std::vector<std::string>;  // key 1, key 2, path
using Rows = std::vector<Row>;         // top first

inline std::string MakeTempDir(const char* name) {
    static int serial = 0;
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    for (std::string path;; path.clear()) {
        path = base + ("cb-" + std::to_string(GetCurrentProcessId())) + "-" + name + "-" + std::to_string(++serial);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    }
}

inline std::string ReadBytes(const std::string& path, uint64_t from = 0) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    for (const DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT)) {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&msg), DispatchMessageA(&msg);
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
    }
}

// To a window of any process, waiting a minute: under emulation a 32-bit program takes seconds
// for each new code path.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 60000, &result);
    return static_cast<LRESULT>(result);
}

inline std::string Text(HWND window) {  // GetWindowTextA would not ask another process's window
    char text[2048] = {};
    Send(window, WM_GETTEXT, sizeof text - 1, reinterpret_cast<LPARAM>(text));
    return text;
}

inline Row Fields(HWND mainWindow) {  // key 1, key 2 and the path as typed
    return {Text(GetDlgItem(mainWindow, IDC_KEY1_EDIT)), Text(GetDlgItem(mainWindow, IDC_KEY2_EDIT)),
            Text(GetDlgItem(mainWindow, IDC_PATH_EDIT))};
}

inline void Input(DWORD type, WORD vk, DWORD flags) {  // as from a keyboard or a mouse
    INPUT input = {};
    input.type = type;
    if (type == INPUT_KEYBOARD) input.ki.wVk = vk, input.ki.dwFlags = flags;
    else input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}
inline void KeyDown(BYTE vk) { Input(INPUT_KEYBOARD, vk, 0); }
inline void KeyUp(BYTE vk) { Input(INPUT_KEYBOARD, vk, KEYEVENTF_KEYUP); }

// True if the shell had the icon (window, 1); NIM_MODIFY with no flags changes nothing.
inline bool TrayIcon(HWND window, DWORD action = NIM_MODIFY) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.hWnd = window, icon.uID = 1;
    return Shell_NotifyIconA(action, &icon) != FALSE;
}

// A list-view message carries a pointer that the list reads in its own process, so the item and
// its text buffer (filled with 0xCC) go through a block of that process's memory.
struct RemoteItem {
    LVITEMA item;
    char text[PATH_TEXT_LIMIT];

    void Send(HWND list, UINT message, WPARAM row) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        auto* remote = static_cast<RemoteItem*>(VirtualAllocEx(process, nullptr, sizeof *this, MEM_COMMIT, PAGE_READWRITE));
        item.pszText = remote->text, item.cchTextMax = sizeof text;
        WriteProcessMemory(process, remote, this, sizeof *this, nullptr);
        ::Send(list, message, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, this, sizeof *this, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
    }
};

inline Rows ListRows(HWND list) {
    Rows rows(static_cast<size_t>(Send(list, LVM_GETITEMCOUNT)), Row(3));
    for (size_t cell = 0; cell < rows.size() * 3; ++cell) {
        RemoteItem local = {};
        local.item.iSubItem = static_cast<int>(cell % 3);
        memset(local.text, 0xCC, sizeof local.text);
        local.Send(list, LVM_GETITEMTEXTA, cell / 3);
        rows[cell / 3][cell % 3].assign(local.text, strnlen(local.text, sizeof local.text));
    }
    return rows;
}

inline void SelectRow(HWND list, int row) {  // adds it to the selection
    RemoteItem local = {};
    local.item.state = local.item.stateMask = LVIS_SELECTED;
    local.Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row));
}

// Answers, from a thread of its own, every message box with this title (any title if empty), of
// any process, with the button given or, for 0, the default one: the one with the focus.
class BoxAnswerer {
  public:
    BoxAnswerer(const char* title, int button)
        : title_(title), button_(button), thread_([this] {
              for (HWND box; !stop_; Sleep(10)) {
                  box = FindWindowA("#32770", title_.empty() ? nullptr : title_.c_str());
                  if (box == nullptr || !IsWindowVisible(box)) continue;
                  char text[2048] = {};
                  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text label
                  text_ = ::Text(box) + "|" + text, owner_ = GetWindow(box, GW_OWNER);
                  GUITHREADINFO focus = {};
                  focus.cbSize = sizeof focus;
                  GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
                  PostMessageA(box, WM_COMMAND, button_ ? button_ : GetDlgCtrlID(focus.hwndFocus), 0);
                  InterlockedIncrement(&count_);
                  while (IsWindow(box) && !stop_) Sleep(5);  // one answer a box
              }
          }) {}
    ~BoxAnswerer() { stop_ = 1, thread_.join(); }
    int Count() const { return count_; }
    std::string Text() const { return text_; }  // "title|text" of the last box, once Count has moved
    HWND Owner() const { return owner_; }

  private:
    std::string title_, text_;
    int button_;
    volatile LONG count_ = 0, stop_ = 0;
    HWND owner_ = nullptr;
    std::thread thread_;
};

inline size_t SoundSamples(int milliseconds) { return static_cast<size_t>(8 * milliseconds); }

// A new sound, *id its number, whose every play the capture file (CB_CAPTURE_FILE) tells apart:
// the first 16 samples, a marker, are 2000 + 20 * id, the rest 2010 + 20 * id.
inline std::string NewSound(int* id, int milliseconds = 40) {
    static const std::string dir = MakeTempDir("sounds");
    static int next = 0;
    *id = next = next % 1000 + 1;
    const uint32_t samples = static_cast<uint32_t>(SoundSamples(milliseconds));
    const uint32_t header[] = {0x46464952, 36 + 2 * samples, 0x45564157, 0x20746D66, 16, 0x00010001, 8000, 16000,
                               0x00100002, 0x61746164, 2 * samples};  // mono, 16 bits, 8 kHz
    std::string wav(reinterpret_cast<const char*>(header), sizeof header);
    for (uint32_t i = 0; i < samples; ++i) {
        const int16_t value = static_cast<int16_t>(2000 + 20 * *id + (i < 16 ? 0 : 10));
        wav.append(reinterpret_cast<const char*>(&value), 2);
    }
    const std::string path = dir + "\\sound-" + std::to_string(*id) + ".wav";
    WriteBytes(path, wav);
    return path;
}

class Capture {  // what played since it was made or marked
  public:
    Capture() { Mark(); }
    void Mark() { mark_ += Samples().size() * 2; }
    std::vector<int> Starts() const {  // ids in playing order; a start is four marker samples or more
        const std::vector<int16_t> samples = Samples();
        std::vector<int> starts;
        for (size_t i = 0, end = 0; i < samples.size(); i = end) {
            for (end = i + 1; end < samples.size() && samples[end] == samples[i];) ++end;
            if (IdOf(samples[i], true) != 0 && end - i >= 4) starts.push_back(IdOf(samples[i], true));
        }
        return starts;
    }
    int Count(int id) const {
        const std::vector<int> starts = Starts();
        return static_cast<int>(std::count(starts.begin(), starts.end(), id));
    }
    size_t Samples(int id) const {
        const std::vector<int16_t> samples = Samples();
        return static_cast<size_t>(std::count_if(samples.begin(), samples.end(), [&](int16_t s) { return IdOf(s, false) == id; }));
    }

  private:
    static int IdOf(int16_t sample, bool markerOnly) {
        const int offset = sample - 2000;
        return offset > 0 && offset % (markerOnly ? 20 : 10) == 0 && offset <= 20010 ? offset / 20 : 0;
    }
    std::vector<int16_t> Samples() const {
        const std::string bytes = ReadBytes(std::getenv("CB_CAPTURE_FILE"), mark_);
        std::vector<int16_t> samples(bytes.size() / 2);  // a sample being written waits for later
        memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    uint64_t mark_ = 0;
};

// The real main window in this process, made once in a folder of its own.
inline HWND AppWindow() {
    static HWND window = [] {
        SetCurrentDirectoryA(MakeTempDir("app").c_str());  // where its data.ini goes
        CreateSharedResources();
        return CreateMainWindow();
    }();
    return window;
}

inline HWND Control(int id) { return GetDlgItem(AppWindow(), id); }
inline void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

inline void ResetMainWindow() {  // empty list, registration off, fields empty, buttons shown, in front
    HWND window = AppWindow();
    ShowWindow(window, SW_SHOW);
    SendMessageA(window, WM_COMMAND, IDM_CLEAR_LIST, 0);  // an entry under edit goes too
    if (IsDlgButtonChecked(window, IDC_REGISTER_TOGGLE)) Click(IDC_REGISTER_TOGGLE);
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_KEYCODE_DISPLAY}) SetDlgItemTextA(window, id, "");
    SendMessageA(window, WM_RBUTTONDBLCLK, 0, 0);  // the hidden buttons back
    SetForegroundWindow(window);
    PumpUntil([] { return true; });
}

inline void FillList(const Rows& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) InsertEntryRow((*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
}

// The real program, chordbell.exe beside this test program (found first in its own folder) or the
// command given, in a process of its own; ended with the test that started it if it still runs then.
struct Program {
    explicit Program(const std::string& folder, std::string command = "chordbell.exe") {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process);
    }
    ~Program() { TerminateProcess(process.hProcess, 99); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    HWND Item(int id) const { return GetDlgItem(window, id); }

    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// chordbell.exe copied into a download folder, stand-ins for WINMM.DLL and COMCTL32.DLL beside it and in
// its start folder, Windows' search order forced for them (a child would not see WINEDLLOVERRIDES).
inline std::string PlantedCopy(const std::string& startFolder, std::vector<std::string>* planted) {
    const std::string built(_pgmptr, strrchr(_pgmptr, '\\')), folder = MakeTempDir("download");
    CopyFileA((built + "\\chordbell.exe").c_str(), (folder + "\\chordbell.exe").c_str(), FALSE);
    for (const std::string& to : {folder, startFolder}) for (const char* dll : {"\\WINMM.DLL", "\\COMCTL32.DLL"})
        planted->push_back(to + dll), CopyFileA((built + "\\standin" + dll).c_str(), (to + dll).c_str(), FALSE);
    for (const char* dll : {"winmm", "comctl32"}) RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\chordbell.exe\\DllOverrides", dll, REG_SZ, "n,b", 4);
    return "\"" + folder + "\\chordbell.exe\"";  // the copy's command
}

inline HWND ShownWindow(DWORD pid, const char* className, const char* title, bool shownOnly = true) {
    for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, className, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == pid && (!shownOnly || IsWindowVisible(found))) return found;
    }
    return nullptr;
}

inline bool WaitForWindow(Program& program, DWORD timeoutMs = 60000) {
    return PumpUntil([&] { return (program.window = ShownWindow(program.process.dwProcessId, "NORMAL0", "ChordBell")); }, timeoutMs);
}

inline DWORD ExitCode(const Program& program, DWORD timeoutMs = 20000) {  // STILL_ACTIVE if it hung
    DWORD code = STILL_ACTIVE;
    PumpUntil([&] { return GetExitCodeProcess(program.process.hProcess, &code) && code != STILL_ACTIVE; }, timeoutMs);
    return code;
}
