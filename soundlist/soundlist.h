// The sound list: the list view that holds every entry, its editing commands and the saved
// list file. The list control is the only store of entries.
#pragma once

#include <windows.h>
#include <commctrl.h>

enum : int {
    KEY_TEXT_LIMIT = 256,    // characters, terminating NUL included
    PATH_TEXT_LIMIT = 1024,  // characters, terminating NUL included
};

// List helpers: one list-view message each.
void SetListItemText(HWND list, int row, int column, const char* text);
void GetListItemText(HWND list, int row, int column, char* buffer, int limit);
int InsertListItem(HWND list, LVITEMA* item);
LRESULT DeleteListItem(HWND list, int row);
void InsertEntryRow(HWND list, const char* key1, const char* key2, const char* path);

// Commands, routed from the main window.
void InitListColumns();
void ApplyRegistrationMode();
void CaptureKey(WPARAM keyCode);
void BrowseSoundFile();
void AddEntry();
void EditEntry();
void DeleteEntry();
void ClearList();
void ResetFields();
void PreviewEntry();
void ExploreEntry();
void HideEditingButtons();
void ShowEditingButtons();

// The saved list file.
void InitSavedListPath();
const char* SavedListPath();
void LoadSoundList();
bool SaveSoundList();                // false when the file could not be written
bool ConfirmCloseAfterFailedSave();  // asks the user; true to close anyway
void DeleteSavedData();
