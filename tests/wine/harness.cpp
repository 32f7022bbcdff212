#include "tests/wine/harness.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/app.h"
#include "soundlist/soundlist.h"

std::string MakeTempDir(const char* name) {
    static int serial = 0;
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    for (;;) {
        const std::string path = base + ("cb-" + std::to_string(GetCurrentProcessId())) + "-" + name +
                                 "-" + std::to_string(++serial);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    }
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// A minute: under emulation a 32-bit program takes seconds for each new code path.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 60000, &result);
    return static_cast<LRESULT>(result);
}

std::string Text(HWND window) {  // GetWindowTextA would not ask another process's window
    char text[2048] = {};
    Send(window, WM_GETTEXT, sizeof text - 1, reinterpret_cast<LPARAM>(text));
    return text;
}

static void SendKey(BYTE vk, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void KeyDown(BYTE vk) { SendKey(vk, 0); }
void KeyUp(BYTE vk) { SendKey(vk, KEYEVENTF_KEYUP); }

bool TrayIcon(HWND window, DWORD action) {  // NIM_MODIFY with no flags changes nothing
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = 1;
    return Shell_NotifyIconA(action, &probe) != FALSE;
}

namespace {

// A list-view message carries a pointer that the list reads in its own process: the item and
// its text go through a block of that process's memory, the text buffer filled with 0xCC first.
struct RemoteItem {
    LVITEMA item;
    char text[PATH_TEXT_LIMIT];
};

LRESULT SendItem(HWND list, UINT message, WPARAM row, RemoteItem* local) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    auto* remote = static_cast<RemoteItem*>(VirtualAllocEx(process, nullptr, sizeof *local, MEM_COMMIT, PAGE_READWRITE));
    local->item.pszText = remote->text;
    local->item.cchTextMax = sizeof local->text;
    WriteProcessMemory(process, remote, local, sizeof *local, nullptr);
    const LRESULT result = Send(list, message, row, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, local, sizeof *local, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return result;
}

}  // namespace

Rows ListRows(HWND list) {
    Rows rows(static_cast<size_t>(Send(list, LVM_GETITEMCOUNT)), Row(3));
    for (size_t cell = 0; cell < rows.size() * 3; ++cell) {
        RemoteItem local = {};
        local.item.iSubItem = static_cast<int>(cell % 3);
        memset(local.text, 0xCC, sizeof local.text);
        SendItem(list, LVM_GETITEMTEXTA, cell / 3, &local);
        rows[cell / 3][cell % 3].assign(local.text, strnlen(local.text, sizeof local.text));
    }
    return rows;
}

void SelectRow(HWND list, int row) {
    RemoteItem local = {};
    local.item.state = local.item.stateMask = LVIS_SELECTED;
    SendItem(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), &local);
}

BoxAnswerer::BoxAnswerer(const char* title, int button)
    : title_(title), button_(button), thread_([this] {
          while (!stop_) {
              HWND box = FindWindowA("#32770", title_.c_str());
              if (box == nullptr || !IsWindowVisible(box)) {
                  Sleep(10);
                  continue;
              }
              char text[2048] = {};
              GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text label
              text_ = text;
              owner_ = GetWindow(box, GW_OWNER);
              PostMessageA(box, WM_COMMAND, button_, 0);
              InterlockedIncrement(&count_);
              while (IsWindow(box) && !stop_) Sleep(5);  // one answer per box
          }
      }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = 1;
    thread_.join();
}

namespace {

constexpr int kSampleRate = 8000, kMarkerSamples = 16, kMaximumId = 1000;

// Marker and body values of all ids are pairwise distinct and never silence.
int16_t MarkerValue(int id) { return static_cast<int16_t>(2000 + 20 * id); }
int16_t BodyValue(int id) { return static_cast<int16_t>(2010 + 20 * id); }

int IdOf(int16_t sample, int base) {
    const int offset = sample - base;
    return offset > 0 && offset % 20 == 0 && offset / 20 <= kMaximumId ? offset / 20 : 0;
}

std::vector<int16_t> SamplesFrom(uint64_t mark) {
    std::ifstream in(std::getenv("CB_CAPTURE_FILE"), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(mark));
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::vector<int16_t> samples(bytes.size() / 2);  // a sample being written waits for later
    memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

}  // namespace

int NextSoundId() {
    static int next = 0;
    return next = next % kMaximumId + 1;
}

size_t SoundSamples(int milliseconds) { return static_cast<size_t>(kSampleRate * milliseconds / 1000); }

std::string WriteTestSound(const std::string& dir, int id, int milliseconds) {
    const uint32_t samples = static_cast<uint32_t>(SoundSamples(milliseconds));
    // RIFF header of a mono 16-bit 8 kHz PCM file, then the samples.
    const uint32_t header[] = {0x46464952, 36 + 2 * samples, 0x45564157, 0x20746D66, 16, 0x00010001,
                               kSampleRate, kSampleRate * 2, 0x00100002, 0x61746164, 2 * samples};
    std::string wav(reinterpret_cast<const char*>(header), sizeof header);
    for (uint32_t i = 0; i < samples; ++i) {
        const int16_t value = i < kMarkerSamples ? MarkerValue(id) : BodyValue(id);
        wav.append(reinterpret_cast<const char*>(&value), 2);
    }
    const std::string path = dir + "\\sound-" + std::to_string(id) + ".wav";
    WriteBytes(path, wav);
    return path;
}

void Capture::Mark() {
    std::ifstream in(std::getenv("CB_CAPTURE_FILE"), std::ios::binary | std::ios::ate);
    mark_ = in ? static_cast<uint64_t>(in.tellg()) : 0;
}

// A start is a run of at least four marker samples.
std::vector<int> Capture::Starts() const {
    const std::vector<int16_t> samples = SamplesFrom(mark_);
    std::vector<int> starts;
    for (size_t i = 0, end = 0; i < samples.size(); i = end) {
        for (end = i + 1; end < samples.size() && samples[end] == samples[i];) ++end;
        if (IdOf(samples[i], 2000) != 0 && end - i >= 4) starts.push_back(IdOf(samples[i], 2000));
    }
    return starts;
}

int Capture::Count(int id) const {
    int count = 0;
    for (int started : Starts()) count += started == id;
    return count;
}

size_t Capture::Samples(int id) const {
    size_t count = 0;
    for (int16_t sample : SamplesFrom(mark_)) count += IdOf(sample, 2000) == id || IdOf(sample, 2010) == id;
    return count;
}

HWND AppWindow() {
    static HWND window = [] {
        SetCurrentDirectoryA(MakeTempDir("app").c_str());  // where data.ini goes
        CreateSharedResources();
        HWND created = CreateMainWindow();
        PumpMessages();
        return created;
    }();
    return window;
}

HWND Control(int id) { return GetDlgItem(AppWindow(), id); }

void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

void ResetMainWindow() {
    HWND window = AppWindow();
    ShowWindow(window, SW_SHOW);
    EnableWindow(window, TRUE);
    SendMessageA(Control(IDC_SOUND_LIST), LVM_DELETEALLITEMS, 0, 0);
    if (IsDlgButtonChecked(window, IDC_REGISTER_TOGGLE)) Click(IDC_REGISTER_TOGGLE);
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_KEYCODE_DISPLAY}) SetDlgItemTextA(window, id, "");
    SendMessageA(window, WM_RBUTTONDBLCLK, 0, 0);  // the hidden buttons back
    SetForegroundWindow(window);
    PumpMessages();
}

void FillList(const Rows& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow((*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
}

Program Launch(const std::string& folder) {
    char command[] = "chordbell.exe";  // found first in this program's own folder
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    Program program;
    CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                   &program.process);
    return program;
}

HWND ShownWindow(DWORD pid, const char* className, const char* title) {
    for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, className, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == pid && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

bool WaitForWindow(Program& program, DWORD timeoutMs) {
    return PumpUntil([&] { return (program.window = ShownWindow(program.process.dwProcessId, "NORMAL0", "ChordBell")); },
                     timeoutMs);
}

DWORD ExitCode(const Program& program, DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    PumpUntil([&] { return GetExitCodeProcess(program.process.hProcess, &code) && code != STILL_ACTIVE; }, timeoutMs);
    TerminateProcess(program.process.hProcess, 99);  // one that hangs; nothing once it has ended
    return code;
}
