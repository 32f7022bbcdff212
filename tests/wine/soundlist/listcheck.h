// What the sound list holds, read and changed the way a user or another subsystem would.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"

struct Row {
    std::string key1, key2, path;
    bool operator==(const Row& other) const {
        return key1 == other.key1 && key2 == other.key2 && path == other.path;
    }
};

inline HWND List() { return Control(IDC_SOUND_LIST); }

// Every test starts from the empty main window in front, holding the focus.
inline void FreshMainWindow() {
    ResetMainWindow();
    SetForegroundWindow(AppWindow());
    SetFocus(AppWindow());
    PumpMessages();
}

inline int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

// The buffer is filled with a sentinel first, so a read that failed to terminate would show.
inline std::string Cell(int row, int column) {
    char buffer[PATH_TEXT_LIMIT];
    memset(buffer, 0xCC, sizeof buffer);
    GetListItemText(List(), row, column, buffer, PATH_TEXT_LIMIT);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

inline std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int row = 0; row < RowCount(); ++row) rows.push_back({Cell(row, 0), Cell(row, 1), Cell(row, 2)});
    return rows;
}

// Rows given top first.
inline void FillList(const std::vector<Row>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow(List(), row->key1.c_str(), row->key2.c_str(), row->path.c_str());
    }
}

inline void SelectRows(const std::vector<int>& rows) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows) {
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

inline bool IsChecked(int id) { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A click as the user makes it reaches the main window as BN_CLICKED.
inline void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

inline void SetRegistrationMode(bool on) {
    if (IsChecked(IDC_REGISTER_TOGGLE) != on) Click(IDC_REGISTER_TOGGLE);
}

inline void SetField(int id, const char* text) { SetDlgItemTextA(AppWindow(), id, text); }

inline std::string Field(int id) { return WindowText(Control(id)); }

// GetKeyState follows input messages as this thread retrieves them: once the toggle bit has
// flipped and the key or button reads up again, its release has been handled.
inline bool PumpUntilReleaseHandled(int vk, SHORT stateBefore) {
    return PumpUntil([=] {
        const SHORT state = GetKeyState(vk);
        return (state & 1) != (stateBefore & 1) && (state & 0x8000) == 0;
    });
}

// Two clicks at a point of the screen, each handled before the next, as a hand makes them.
inline void DoubleClickAt(POINT screen, bool right = false) {
    const int width = GetSystemMetrics(SM_CXSCREEN) - 1;
    const int height = GetSystemMetrics(SM_CYSCREEN) - 1;
    const int buttonFlags[] = {0, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN,
                               right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP};
    INPUT inputs[3] = {};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = (screen.x * 65535 + width / 2) / width;
        inputs[i].mi.dy = (screen.y * 65535 + height / 2) / height;
        // Every event carries the position: under Wine a button event without it may still
        // take the position from before the move.
        inputs[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttonFlags[i];
    }
    for (int click = 0; click < 2; ++click) {
        const SHORT before = GetKeyState(right ? VK_RBUTTON : VK_LBUTTON);
        SendInput(3, inputs, sizeof(INPUT));
        PumpUntilReleaseHandled(right ? VK_RBUTTON : VK_LBUTTON, before);
    }
}
