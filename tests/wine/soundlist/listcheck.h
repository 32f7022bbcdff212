// The sound list and the entry fields, read and changed as a user or another subsystem would.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"

using Row = std::vector<std::string>;  // key 1, key 2, path
using Rows = std::vector<Row>;

inline HWND List() { return Control(IDC_SOUND_LIST); }
inline int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

inline Rows ListRows(HWND list = List()) {
    Rows rows(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), Row(3));
    char text[PATH_TEXT_LIMIT];
    for (size_t cell = 0; cell < rows.size() * 3; ++cell) {
        text[0] = '\0';
        GetListItemText(list, static_cast<int>(cell / 3), cell % 3, text, sizeof text);
        rows[cell / 3][cell % 3] = text;
    }
    return rows;
}

inline void FillList(const Rows& rows) {  // top row first
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow(List(), (*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
}

inline void SelectRows(std::vector<int> rows) {
    rows.insert(rows.begin(), -1);  // clears every selection
    for (int row : rows) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = row < 0 ? 0 : LVIS_SELECTED;
        SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

inline void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }  // arrives as BN_CLICKED
inline std::string Field(int id) { return WindowText(Control(id)); }
inline Row Fields() { return {Field(IDC_KEY1_EDIT), Field(IDC_KEY2_EDIT), Field(IDC_PATH_EDIT)}; }
inline void SetFields(const Row& row) {
    const int ids[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT};
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(AppWindow(), ids[i], row[i].c_str());
}

// Every test starts from the empty main window in front, holding the focus.
inline void FreshMainWindow() {
    ResetMainWindow();
    SetForegroundWindow(AppWindow());
    SetFocus(AppWindow());
}
