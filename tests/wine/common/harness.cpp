#include "tests/wine/common/harness.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "soundlist/soundlist.h"

HWND AppWindow() {
    static HWND window = [] {
        // A fresh folder, so no data.ini of an earlier run is loaded at start.
        SetCurrentDirectoryA(MakeTempDir("app").c_str());
        CreateSharedResources();
        HWND created = CreateMainWindow();
        PumpMessages();
        return created;
    }();
    return window;
}

HWND Control(int id) { return GetDlgItem(AppWindow(), id); }

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

std::string WindowText(HWND window) {
    char buffer[4096] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

void ResetMainWindow() {
    HWND window = AppWindow();
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
    EnableWindow(window, TRUE);
    SendMessageA(Control(IDC_SOUND_LIST), LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_UNCHECKED, 0);
    ApplyRegistrationMode();
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_KEYCODE_DISPLAY}) {
        SetDlgItemTextA(window, id, "");
    }
    ShowEditingButtons();
    PumpMessages();
}

std::string MakeTempDir(const char* name) {
    static int serial = 0;
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    for (;;) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%scb-%lu-%s-%d", base, GetCurrentProcessId(), name, ++serial);
        if (CreateDirectoryA(path, nullptr)) return path;
    }
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

BoxAnswerer::BoxAnswerer(const char* title, int button)
    : title_(title), button_(button), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_([this] { Run(); }) {}

BoxAnswerer::~BoxAnswerer() {
    SetEvent(stop_);
    thread_.join();
    CloseHandle(stop_);
}

int BoxAnswerer::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(texts_.size());
}

std::string BoxAnswerer::Text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_.empty() ? std::string() : texts_.back();
}

HWND BoxAnswerer::Owner() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owner_;
}

namespace {

struct BoxSearch {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == GetCurrentProcessId() && strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window) && WindowText(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void BoxAnswerer::Run() {
    while (WaitForSingleObject(stop_, 10) == WAIT_TIMEOUT) {
        BoxSearch search = {&title_, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) continue;
        char text[2048] = {};
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);  // the box's text label
        {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
            owner_ = GetWindow(search.found, GW_OWNER);
        }
        PostMessageA(search.found, WM_COMMAND, button_, 0);
        // One answer per box: wait until this one has gone.
        while (IsWindow(search.found) && WaitForSingleObject(stop_, 5) == WAIT_TIMEOUT) {
        }
    }
}
