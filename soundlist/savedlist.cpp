// The saved list file data.ini: read whole once at start, written whole at close. The file is
// never changed in place: a save writes the new text beside it and then puts it in its place in
// one step, so a crash or a full disk leaves the previous file as it was.
#include "soundlist/soundlist.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "app/app.h"
#include "support/inifile.h"
#include "support/numtext.h"

namespace {

char g_savedListPath[1024];

// No list this program writes comes near it; a count beyond it ("LIST=2147483647") would
// otherwise keep start-up filling the list for hours and exhaust memory.
constexpr int32_t kMaxLoadedRows = 100000;

// 100,000 rows of the longest texts come to about 110 MB; anything larger is not a saved list
// and is left alone rather than read into memory.
constexpr LONGLONG kMaxFileBytes = 256LL << 20;

// A backup or sync tool, an editor or a virus scan may hold data.ini for a moment at start.
constexpr DWORD kHeldFileWaitMs = 5000;

// True once data.ini existed at start but could not be read: it may hold entries that the list
// never showed.
bool g_unreadAtStart;

enum class ReadResult { Read, Missing, Held, Failed };

ReadResult ReadWholeFile(const char* path, std::string* bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND: return ReadResult::Missing;
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION: return ReadResult::Held;
            default: return ReadResult::Failed;
        }
    }
    LARGE_INTEGER size = {};
    ReadResult result = ReadResult::Failed;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= kMaxFileBytes) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD done = 0;
        if (!ReadFile(file, bytes->data(), static_cast<DWORD>(size.QuadPart), &done, nullptr)) {
            if (GetLastError() == ERROR_LOCK_VIOLATION) result = ReadResult::Held;  // a range another program locked
        } else if (done == size.QuadPart) {
            result = ReadResult::Read;
        }
    }
    CloseHandle(file);
    return result;
}

bool Unreadable(ReadResult result) { return result == ReadResult::Held || result == ReadResult::Failed; }

std::string WideToAnsi(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

// The platform reads a file with a UTF-8 or UTF-16 mark in that encoding; the program's texts
// are ANSI, so such a file is read as its ANSI equivalent (and saved as ANSI).
std::string ToAnsi(const std::string& bytes) {
    size_t markLength = 0;
    const IniTextEncoding encoding = DetectIniTextEncoding(bytes, &markLength);
    if (encoding == IniTextEncoding::Ansi) return bytes;
    const std::string_view body = std::string_view(bytes).substr(markLength);
    const int bodyLength = static_cast<int>(body.size());
    std::wstring wide;
    if (encoding == IniTextEncoding::Utf8) {
        wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, body.data(), bodyLength, nullptr, 0)));
        MultiByteToWideChar(CP_UTF8, 0, body.data(), bodyLength, wide.data(), static_cast<int>(wide.size()));
        return WideToAnsi(wide);
    }
    const size_t high = encoding == IniTextEncoding::Utf16BE ? 0 : 1;  // where each pair keeps its high byte
    wide.resize(body.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(body[2 * i + high]) << 8 |
                                       static_cast<unsigned char>(body[2 * i + 1 - high]));
    }
    return WideToAnsi(wide);
}

ReadResult ReadSavedList(IniText* text) {
    std::string bytes;
    const ReadResult result = ReadWholeFile(g_savedListPath, &bytes);
    if (result == ReadResult::Read) *text = IniText(ToAnsi(bytes));
    return result;
}

// Off only in the benchmark's comparison build.
constexpr bool kBulkRedraw = CB_BULK_REDRAW;

// A list view repaints and rescrolls itself at every row it is given: under Wine a row at the
// top cost 0.7 ms before the window showed (10,000 rows: 6 s) and 12 ms after. With its redraw
// switched off the control does that work once, when it is switched back on; the one
// invalidation then paints the rows, the scroll bar and the header. Leaving scope in any way
// switches it back on, so the list can never stay frozen.
class RedrawSuspended {
  public:
    explicit RedrawSuspended(HWND list) : list_(list) {
        if constexpr (kBulkRedraw) SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawSuspended() {
        if constexpr (!kBulkRedraw) return;
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

  private:
    HWND list_;
};

void InsertRows(const IniText& file, int32_t count) {
    Entry entry = {};
    HWND list = SoundListControl();
    const RedrawSuspended bulk(list);
    for (int32_t row = 0; row < count; ++row) {
        const std::string section = "LIST" + NumberToText(row);
        file.CopyString(section, "key1", "17", entry.key1, KEY_TEXT_LIMIT);
        file.CopyString(section, "key2", "88", entry.key2, KEY_TEXT_LIMIT);
        file.CopyString(section, "path", "Beep", entry.path, PATH_TEXT_LIMIT);
        InsertEntryRow(list, entry.key1, entry.key2, entry.path);
    }
}

// The same updates, in the same order, as a private-profile write per key would make. An entry
// that an unfinished edit took out of the list is saved where it stood.
void WriteRows(IniText* file) {
    HWND list = SoundListControl();
    const int rows = SoundListRowCount();
    int editedRow = 0;
    const Entry* edited = EntryUnderEdit(&editedRow);
    if (edited != nullptr && editedRow > rows) editedRow = rows;
    const int count = edited != nullptr ? rows + 1 : rows;
    file->SetString("LISTNUM", "LIST", NumberToText(count));
    for (int index = 0, row = 0; index < count; ++index) {
        Entry entry = {};
        if (edited != nullptr && index == editedRow) {
            entry = *edited;
        } else {
            ReadEntry(list, row++, &entry);
        }
        const std::string section = "LIST" + NumberToText(index);
        file->SetString(section, "key1", entry.key1);
        file->SetString(section, "key2", entry.key2);
        file->SetString(section, "path", entry.path);
    }
}

bool WriteWholeFile(const char* path, const std::string& text) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                          written == text.size() && FlushFileBuffers(file);
    return CloseHandle(file) && complete;
}

// A read-only data.ini is one the user does not want written; the platform's replace would
// refuse it on Windows, Wine's would not, so it is asked first.
bool ReplaceSavedList(const std::string& text) {
    if (g_savedListPath[0] == '\0') return false;
    const DWORD attributes = GetFileAttributesA(g_savedListPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    const std::string temporary = std::string(g_savedListPath) + ".tmp";
    bool saved = WriteWholeFile(temporary.c_str(), text);
    if (saved && g_beforeSavedListReplace) g_beforeSavedListReplace(temporary.c_str());
    saved = saved && MoveFileExA(temporary.c_str(), g_savedListPath,
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!saved) DeleteFileA(temporary.c_str());
    return saved;
}

}  // namespace

void (*g_beforeSavedListReplace)(const char* temporaryPath) = nullptr;

// A current directory too long for the buffer would make lstrcatA write past it; the path then
// stays empty, the load finds nothing and the save reports that it could not write.
void InitSavedListPath() {
    static const char kFileName[] = "\\data.ini";
    std::memset(g_savedListPath, 0, sizeof g_savedListPath);
    const DWORD length = GetCurrentDirectoryA(sizeof g_savedListPath, g_savedListPath);
    if (length == 0 || length + sizeof kFileName > sizeof g_savedListPath) {
        g_savedListPath[0] = '\0';
        return;
    }
    lstrcatA(g_savedListPath, kFileName);
}

const char* SavedListPath() { return g_savedListPath; }

// A file that cannot be read, or not held in memory, loads as no file: the list starts empty,
// and the file is not replaced later without asking.
void LoadSoundList() {
    try {
        IniText file;
        ReadResult result = ReadSavedList(&file);
        for (const DWORD start = GetTickCount();
             result == ReadResult::Held && GetTickCount() - start < kHeldFileWaitMs;) {
            Sleep(100);
            result = ReadSavedList(&file);
        }
        g_unreadAtStart = Unreadable(result);
        const int32_t count = file.GetInt("LISTNUM", "LIST", 0);
        InsertRows(file, count < kMaxLoadedRows ? count : kMaxLoadedRows);
    } catch (const std::bad_alloc&) {
        g_unreadAtStart = true;
    }
}

bool MayReplaceSavedList(bool canAsk) {
    if (!g_unreadAtStart || GetFileAttributesA(g_savedListPath) == INVALID_FILE_ATTRIBUTES) return true;
    if (!canAsk) return false;
    const std::string text = std::string("起動したときに、次のファイルを読み込めませんでした。\r\n") + g_savedListPath +
                             "\r\n\r\n今のリストでこのファイルを置き換えますか？\r\n"
                             "「いいえ」なら、ファイルはそのまま残して終了します。";
    return MessageBoxA(g_shared.mainWindow, text.c_str(), "確認", MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// A file that exists but cannot be read now is not overwritten: its other content would be lost.
bool SaveSoundList() {
    try {
        IniText file;
        if (Unreadable(ReadSavedList(&file))) return false;
        WriteRows(&file);
        return ReplaceSavedList(file.Text());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Closing after a failed save would lose every change since the start; the user may keep the
// window open instead and try again (after making the file or folder writable).
bool ConfirmCloseAfterFailedSave() {
    const std::string text = std::string("リストを保存できませんでした。\r\n") + g_savedListPath +
                             "\r\n\r\n保存せずに終了してもよろしいですか？";
    return MessageBoxA(g_shared.mainWindow, text.c_str(), "Error", MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) ==
           IDYES;
}

void DeleteSavedData() {
    if (MessageBoxA(g_shared.mainWindow, "保存データを削除します。よろしいですか？", "確認",
                    MB_ICONQUESTION | MB_YESNO) == IDNO) {
        return;
    }
    DeleteFileA(g_savedListPath);
}
