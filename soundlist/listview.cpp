// The list helpers: every read and write of a row goes through one of these, on any thread.
// From a thread other than the list's own, each message waits until the user-interface thread
// next retrieves messages. The control is never kept: it is looked up at every message, or once
// for a whole load or save, which then hands the handle in.
#include "soundlist/soundlist.h"

#include <commctrl.h>

#include "app/app.h"

namespace {

const int kEntryLimits[] = {KEY_TEXT_LIMIT, KEY_TEXT_LIMIT, PATH_TEXT_LIMIT};

void SetListItemText(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);  // the control only reads it
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A read that delivers nothing leaves the buffer as it was. Without a handle the control is
// looked up before each read.
void ReadColumns(HWND list, int row, Entry* entry, void (*beforeEachRead)()) {
    char* const texts[] = {entry->key1, entry->key2, entry->path};
    for (int column = COLUMN_KEY1; column <= COLUMN_PATH; ++column) {
        if (beforeEachRead != nullptr) beforeEachRead();
        GetListItemText(list != nullptr ? list : SoundListControl(), row, column, texts[column],
                        kEntryLimits[column]);
    }
}

}  // namespace

HWND SoundListControl() { return MainControl(IDC_SOUND_LIST); }

int SoundListRowCount() {
    return static_cast<int>(SendMessageA(SoundListControl(), LVM_GETITEMCOUNT, 0, 0));
}

void GetListItemText(HWND list, int row, int column, char* buffer, int limit) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = limit;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ReadEntry(int row, Entry* entry, void (*beforeEachRead)()) {
    ReadColumns(nullptr, row, entry, beforeEachRead);
}

void ReadEntry(HWND list, int row, Entry* entry) {
    ReadColumns(list, row, entry, nullptr);
}

void InsertEntryRow(const char* key1, const char* key2, const char* path) {
    InsertEntryRow(SoundListControl(), key1, key2, path);
}

// New rows go to the top; only an entry put back after an unfinished edit goes elsewhere. A row
// past the end becomes the last row.
void InsertEntryRow(HWND list, const char* key1, const char* key2, const char* path, int row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(key1);
    const int made = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    SetListItemText(list, made, COLUMN_KEY2, key2);
    SetListItemText(list, made, COLUMN_PATH, path);
}

void DeleteListItem(int row) {
    SendMessageA(SoundListControl(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}
