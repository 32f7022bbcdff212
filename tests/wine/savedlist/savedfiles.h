// Files and rows for the saved list tests: the list as the user sees it, top row first, and
// data.ini as bytes.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
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

inline std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << "{" << row.key1 << ", " << row.key2 << ", " << row.path << "}";
}

inline HWND SoundListControl() { return Control(IDC_SOUND_LIST); }

inline int RowCount() { return static_cast<int>(SendMessageA(SoundListControl(), LVM_GETITEMCOUNT, 0, 0)); }

inline std::string Cell(int row, int column) {
    char buffer[PATH_TEXT_LIMIT];
    memset(buffer, 0xCC, sizeof buffer);
    GetListItemText(SoundListControl(), row, column, buffer, PATH_TEXT_LIMIT);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

inline Row RowAt(int row) { return {Cell(row, 0), Cell(row, 1), Cell(row, 2)}; }

inline std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int row = 0; row < RowCount(); ++row) rows.push_back(RowAt(row));
    return rows;
}

// Makes the list hold these rows, the first at the top, as the add command would.
inline void SetRows(const std::vector<Row>& rows) {
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow(SoundListControl(), row->key1.c_str(), row->key2.c_str(), row->path.c_str());
    }
}

inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The platform keeps the files it read, and knows a file changed by its time stamp, which two
// saves within one clock tick share.
inline void ForgetPlatformCache(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

inline UINT PlatformCount(const std::string& path) {
    ForgetPlatformCache(path);
    return GetPrivateProfileIntA("LISTNUM", "LIST", static_cast<UINT>(-1), path.c_str());
}

// Text with NUL bytes inside.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// The rows the platform's own private-profile functions give for the file, as the load makes
// them: the count, then each section from the first, each row going on top.
inline std::vector<Row> PlatformRows(const std::string& path, int bound) {
    ForgetPlatformCache(path);
    const int count = static_cast<int>(GetPrivateProfileIntA("LISTNUM", "LIST", 0, path.c_str()));
    std::vector<Row> rows;
    for (int i = 0; i < count && i < bound; ++i) {
        const std::string section = "LIST" + std::to_string(i);
        char key1[KEY_TEXT_LIMIT] = {}, key2[KEY_TEXT_LIMIT] = {}, file[PATH_TEXT_LIMIT] = {};
        GetPrivateProfileStringA(section.c_str(), "key1", "17", key1, KEY_TEXT_LIMIT, path.c_str());
        GetPrivateProfileStringA(section.c_str(), "key2", "88", key2, KEY_TEXT_LIMIT, path.c_str());
        GetPrivateProfileStringA(section.c_str(), "path", "Beep", file, PATH_TEXT_LIMIT, path.c_str());
        rows.insert(rows.begin(), Row{key1, key2, file});
    }
    return rows;
}

// The example of a saved list: the alarm entry in LIST0, the bell entry in LIST1.
inline const std::string& ExampleFile() {
    static const std::string text =
        "[LISTNUM]\r\nLIST=2\r\n"
        "[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n"
        "[LIST1]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n";
    return text;
}

inline const Row kAlarm = {"17", "88", "C:\\sounds\\alarm.wav"};
inline const Row kBell = {"112", "-1", "C:\\sounds\\bell.wav"};

extern void (*g_beforeSavedListReplace)(const char* temporaryPath);

// Each test starts with no data.ini in the start-up folder and an empty list.
class SavedList : public testing::Test {
  protected:
    void SetUp() override {
        AppWindow();
        ResetMainWindow();
        path_ = SavedListPath();
        Remove();
    }
    void TearDown() override {
        g_beforeSavedListReplace = nullptr;
        Remove();
    }
    void Remove() {
        for (const std::string& file : {path_, Temporary()}) {
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
    }
    std::string Temporary() const { return path_ + ".tmp"; }
    void Load(const std::string& bytes) {
        WriteBytes(path_, bytes);
        SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
        LoadSoundList();
    }

    std::string path_;
};

