// The list helpers: every read and write of a row goes through one of these, on any thread.
// From a thread other than the list's own, each message waits until the user-interface thread
// next retrieves messages.
#include "soundlist.h"

void SetListItemText(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);  // the control only reads it
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void GetListItemText(HWND list, int row, int column, char* buffer, int limit) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = limit;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int InsertListItem(HWND list, LVITEMA* item) {
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item)));
}

LRESULT DeleteListItem(HWND list, int row) {
    return SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

// New rows always go to the top; the index that the insertion reports is not needed, since the
// row is row 0 by construction.
void InsertEntryRow(HWND list, const char* key1, const char* key2, const char* path) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(key1);
    InsertListItem(list, &item);
    SetListItemText(list, 0, 1, key2);
    SetListItemText(list, 0, 2, path);
}
