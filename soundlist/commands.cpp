// The commands of the sound list: registration mode, key capture, choosing, adding, editing,
// deleting, clearing and previewing entries, resetting the fields, hiding and showing the editing
// buttons. All run on the user-interface thread; the key watcher reads the same list meanwhile.
#include "soundlist/soundlist.h"

#include <commctrl.h>

#include <commdlg.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/app.h"
#include "support/numtext.h"
#include "watcher/watcher.h"

namespace {

struct ListColumn {
    const char* header;
    int width;
};

const ListColumn kListColumns[] = {
    {"キー1", 50},
    {"キー2", 50},
    {"ファイルパス", 200},
};

// Enabled exactly while registration mode is on, in this order.
const int kRegistrationControls[] = {
    IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON, IDC_RESET_BUTTON,
};

// Hidden and shown together, in this order.
const int kEditingButtons[] = {
    IDC_BROWSE_BUTTON, IDC_ADD_BUTTON, IDC_EDIT_BUTTON, IDC_DELETE_BUTTON,
    IDC_HIDE_BUTTON, IDC_RESET_BUTTON, IDC_REGISTER_TOGGLE,
};

const int kEntryFields[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT};

// The entry an unfinished edit took out of the list, and the row it stood at; -1 when none is.
Entry g_editedEntry;
int g_editedRow = -1;

// The structure as it was before later platform versions appended fields.
constexpr DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#if defined(__i386__)
static_assert(kOpenFileNameSize == 76, "the 32-bit OPENFILENAMEA without the appended fields");
#endif

// Deliberately without OFN_NOCHANGEDIR: the dialog may move the current directory.
constexpr DWORD kOpenFileFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                                 OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES;
static_assert(kOpenFileFlags == 0x2A1804, "the flags of the open-file dialog");

// The literal's own terminator closes the list with a second NUL.
const char kWaveFilter[] = "wav ファイル(*.wav)\0*.wav\0";

LRESULT RegistrationToggleState() {
    return SendMessageA(MainControl(IDC_REGISTER_TOGGLE), BM_GETCHECK, 0, 0);
}

// The topmost selected row, or -1.
int SelectedRow() {
    return static_cast<int>(SendMessageA(SoundListControl(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         MAKELPARAM(LVNI_SELECTED, 0)));
}

void EmptyEntryFields() {
    for (int id : kEntryFields) SetDlgItemTextA(g_shared.mainWindow, id, "");
}

void ShowWarning(const char* text, const char* title) {
    MessageBoxA(g_shared.mainWindow, text, title, MB_ICONWARNING);
}

void ShowEditingButtonsAs(int command) {
    for (int id : kEditingButtons) ShowWindow(MainControl(id), command);
}

// Back at the row it came from; the watcher must not read it half-made.
void PutBackEntryUnderEdit() {
    if (g_editedRow < 0) return;
    PauseKeyWatcher();
    InsertEntryRow(SoundListControl(), g_editedEntry.key1, g_editedEntry.key2, g_editedEntry.path, g_editedRow);
    ResumeKeyWatcher();
    g_editedRow = -1;
}

// The shared Windows folder: on a terminal server GetWindowsDirectory names a private one.
std::string ExplorerPath() {
    char folder[MAX_PATH] = {};
    GetSystemWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\explorer.exe";
}

}  // namespace

void InitListColumns() {
    int index = 0;
    for (const ListColumn& definition : kListColumns) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = definition.width;
        column.pszText = const_cast<char*>(definition.header);
        column.iSubItem = index;
        SendMessageA(SoundListControl(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&column));
        ++index;
    }
    SendMessageA(SoundListControl(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void ApplyRegistrationMode() {
    const LRESULT state = RegistrationToggleState();
    // The toggle has only two states; anything else leaves the controls and the focus alone.
    if (state != BST_UNCHECKED && state != BST_CHECKED) return;
    for (int id : kRegistrationControls) EnableWindow(MainControl(id), state == BST_CHECKED);
    SetFocus(g_shared.mainWindow);
}

void CaptureKey(WPARAM keyCode) {
    if (RegistrationToggleState() == BST_UNCHECKED) return;
    const std::string text = NumberToText(static_cast<double>(static_cast<int32_t>(keyCode)));
    HWND window = g_shared.mainWindow;
    SetDlgItemTextA(window, IDC_KEYCODE_DISPLAY, text.c_str());
    if (GetWindowTextLengthA(MainControl(IDC_KEY1_EDIT)) == 0) {
        SetDlgItemTextA(window, IDC_KEY1_EDIT, text.c_str());
    } else if (GetWindowTextLengthA(MainControl(IDC_KEY2_EDIT)) == 0) {
        SetDlgItemTextA(window, IDC_KEY2_EDIT, text.c_str());
    }
}

// Works outside registration mode too: the path then waits in the disabled field.
void BrowseSoundFile() {
    char file[PATH_TEXT_LIMIT] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = kOpenFileNameSize;
    dialog.hwndOwner = g_shared.mainWindow;
    dialog.lpstrFilter = kWaveFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = PATH_TEXT_LIMIT;
    dialog.lpstrTitle = "ウェイヴ ファイルを開く";
    dialog.Flags = kOpenFileFlags;
    dialog.lpstrDefExt = "*";
    if (GetOpenFileNameA(&dialog)) SetDlgItemTextA(g_shared.mainWindow, IDC_PATH_EDIT, file);
}

void AddEntry() {
    if (RegistrationToggleState() == BST_UNCHECKED) return;
    HWND window = g_shared.mainWindow;
    char key1[KEY_TEXT_LIMIT] = {};
    char key2[KEY_TEXT_LIMIT] = {};
    char path[PATH_TEXT_LIMIT] = {};
    GetDlgItemTextA(window, IDC_KEY1_EDIT, key1, KEY_TEXT_LIMIT);
    GetDlgItemTextA(window, IDC_KEY2_EDIT, key2, KEY_TEXT_LIMIT);
    GetDlgItemTextA(window, IDC_PATH_EDIT, path, PATH_TEXT_LIMIT);
    if (key1[0] == '\0') {
        ShowWarning("〝仮想キー1〟は必ず入力してください", "Error");
        return;
    }
    if (path[0] == '\0') {
        ShowWarning("〝サウンドファイルパス〟は必ず入力してください", "Error");
        return;
    }
    const char* key2Text = key2[0] == '\0' ? "-1" : key2;

    // The watcher must not read a half-made row; the toggle click below runs
    // ApplyRegistrationMode before the send returns, so the resume comes after it.
    PauseKeyWatcher();
    InsertEntryRow(key1, key2Text, path);
    g_editedRow = -1;  // this was the edited version, if an edit was under way
    EmptyEntryFields();
    SendMessageA(MainControl(IDC_REGISTER_TOGGLE), BM_CLICK, 0, 0);
    ResumeKeyWatcher();
}

void EditEntry() {
    HWND window = g_shared.mainWindow;
    if (RegistrationToggleState() == BST_CHECKED) {
        if (MessageBoxA(window,
                        "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？",
                        "確認", MB_ICONINFORMATION | MB_YESNO) == IDNO) {
            return;
        }
        ApplyRegistrationMode();
    }
    if (SelectedRow() < 0) {
        ShowWarning("ERROR!!\r\nリストを選択してください", "エラー");
        return;
    }
    // A second edit drops what the fields held, never the entry the first one took out.
    PutBackEntryUnderEdit();
    const int row = SelectedRow();
    ReadEntry(row, &g_editedEntry);
    SetDlgItemTextA(window, IDC_KEY1_EDIT, g_editedEntry.key1);
    SetDlgItemTextA(window, IDC_KEY2_EDIT, g_editedEntry.key2);
    SetDlgItemTextA(window, IDC_PATH_EDIT, g_editedEntry.path);
    DeleteListItem(row);
    g_editedRow = row;
    // BM_SETCHECK notifies nobody, so the mode is applied by hand.
    SendMessageA(MainControl(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
    ApplyRegistrationMode();
}

// With no row selected the index is -1, which the control refuses: nothing is deleted.
void DeleteEntry() {
    const int row = SelectedRow();
    DeleteListItem(row);
    if (row >= 0 && row < g_editedRow) --g_editedRow;  // the entry under edit keeps its neighbours
}

void ClearList() {
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    g_editedRow = -1;
}

void ResetFields() {
    if (MessageBoxA(g_shared.mainWindow, "入力項目をリセットします。よろしいですか？", "確認",
                    MB_ICONINFORMATION | MB_OKCANCEL) == IDCANCEL) {
        return;
    }
    EmptyEntryFields();
    PutBackEntryUnderEdit();  // the edit is given up: the entry is back where it stood
    SetFocus(g_shared.mainWindow);
}

// With no row selected the read leaves the path empty; the stop still happens.
void PreviewEntry() {
    char path[PATH_TEXT_LIMIT] = {};
    GetListItemText(SoundListControl(), SelectedRow(), COLUMN_PATH, path, PATH_TEXT_LIMIT);
    PlaySoundA(nullptr, nullptr, 0);
    PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC);
}

// Explorer shows the sound's folder with the file selected, or the folder alone once the file is
// gone; with no row selected, or no such folder, nothing opens. A relative path is taken from the
// current folder, as playing it would. Explorer is named by its full path: the current folder,
// which the shell searches first, may be a download folder.
void ExploreEntry() {
    const int row = SelectedRow();
    if (row < 0) return;
    char path[PATH_TEXT_LIMIT] = {};
    GetListItemText(SoundListControl(), row, COLUMN_PATH, path, PATH_TEXT_LIMIT);
    if (path[0] == '\0') return;  // its full form would be the current folder
    char full[2 * PATH_TEXT_LIMIT] = {};
    char* name = nullptr;  // found by the platform, which knows where a double-byte character ends
    const DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    if (length == 0 || length >= sizeof full) return;
    const std::string folder = name != nullptr ? std::string(full, name) : std::string(full);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (name != nullptr && GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES) {
        g_shellExecute(ExplorerPath().c_str(), "open", ("/select,\"" + std::string(full) + "\"").c_str());
    } else {
        g_shellExecute(folder.c_str(), "explore", nullptr);
    }
}

// The hide button hides itself too; a right double-click on the window is the only way back.
void HideEditingButtons() { ShowEditingButtonsAs(SW_HIDE); }

void ShowEditingButtons() { ShowEditingButtonsAs(SW_SHOWNORMAL); }

const Entry* EntryUnderEdit(int* row) {
    *row = g_editedRow;
    return g_editedRow >= 0 ? &g_editedEntry : nullptr;
}
