// The sound list and the entry fields, read and changed as a user or another subsystem would.
#pragma once

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"

using Row = std::vector<std::string>;  // key 1, key 2, path
using Rows = std::vector<Row>;

inline HWND List() { return Control(IDC_SOUND_LIST); }
inline int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

inline Rows ListRows(HWND list = List()) {
    Rows rows(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), Row(3));
    for (size_t cell = 0; cell < rows.size() * 3; ++cell) {
        char text[PATH_TEXT_LIMIT] = {};
        GetListItemText(list, static_cast<int>(cell / 3), cell % 3, text, sizeof text);
        rows[cell / 3][cell % 3] = text;
    }
    return rows;
}

inline void FillList(const Rows& rows) {  // top row first
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow((*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
}

// Adds to the selection; a fresh list has none.
inline void SelectRows(const std::vector<int>& rows) {
    LVITEMA item = {};
    item.state = item.stateMask = LVIS_SELECTED;
    for (int r : rows) SendMessageA(List(), LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&item));
}

inline void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }  // arrives as BN_CLICKED
inline std::string Field(int id) { return WindowText(Control(id)); }
inline Row Fields() { return {Field(IDC_KEY1_EDIT), Field(IDC_KEY2_EDIT), Field(IDC_PATH_EDIT)}; }
inline void SetFields(const Row& row) {
    const int ids[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT};
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(AppWindow(), ids[i], row[i].c_str());
}

inline void FreshMainWindow() {
    ResetMainWindow();
    SetForegroundWindow(AppWindow());
}
