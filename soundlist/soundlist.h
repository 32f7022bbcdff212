// The sound list: the list view that holds every entry, its editing commands and the saved
// list file. The list control is the only store of entries.
#pragma once

#include <windows.h>

enum : int {
    KEY_TEXT_LIMIT = 256,    // characters, terminating NUL included
    PATH_TEXT_LIMIT = 1024,  // characters, terminating NUL included
};

// The three texts of an entry, in the list's column order.
enum EntryColumn : int { COLUMN_KEY1 = 0, COLUMN_KEY2 = 1, COLUMN_PATH = 2 };

struct Entry {
    char key1[KEY_TEXT_LIMIT];
    char key2[KEY_TEXT_LIMIT];
    char path[PATH_TEXT_LIMIT];
};

// The list helpers, safe on any thread: each text of a row read or written is one list-view
// message. Without a handle they look the control up by its ID at every message.
HWND SoundListControl();
int SoundListRowCount();
void GetListItemText(HWND list, int row, int column, char* buffer, int limit);
void ReadEntry(int row, Entry* entry, void (*beforeEachRead)() = nullptr);
void ReadEntry(HWND list, int row, Entry* entry);
void InsertEntryRow(const char* key1, const char* key2, const char* path);
void InsertEntryRow(HWND list, const char* key1, const char* key2, const char* path, int row = 0);
void DeleteListItem(int row);

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

// The entry that "リストの編集" took out of the list, kept for the saved list until "リストへ追加"
// adds its edited version; nullptr when there is none. *row gets the row it stood at.
const Entry* EntryUnderEdit(int* row);

// The saved list file.
void InitSavedListPath();
const char* SavedListPath();
void LoadSoundList();
// False where data.ini could not be read at start and still exists, unless the user, asked when
// canAsk, agrees to replace it.
bool MayReplaceSavedList(bool canAsk);
bool SaveSoundList();                // false when the file could not be written
bool ConfirmCloseAfterFailedSave();  // asks the user; true to close anyway
void DeleteSavedData();

// Test seam: called with the new text flushed under its temporary name, just before it
// replaces data.ini.
extern void (*g_beforeSavedListReplace)(const char* temporaryPath);
