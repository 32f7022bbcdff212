// Load and save of the saved list, timed: the program's own load and save against the same
// work done through the platform's private-profile functions, on the same files and rows.
// The program's saved list code and list helpers are built into this tool from their sources;
// the list control is a stand-in window that keeps rows in a vector, so the figures are the
// file work alone (the list view's own cost is the same on both sides and measured elsewhere).
#include "soundlist/listview.cpp"
#include "soundlist/savedlist.cpp"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

SharedState g_shared;

namespace {

struct Row {
    std::string key1, key2, path;
    bool operator==(const Row& other) const {
        return key1 == other.key1 && key2 == other.key2 && path == other.path;
    }
};

std::deque<Row> g_rows;  // top first; a new top row costs the same at any length

void CopyOut(const std::string& text, LVITEMA* item) {
    if (item->cchTextMax <= 0) return;
    const size_t length = std::min(text.size(), static_cast<size_t>(item->cchTextMax - 1));
    std::memcpy(item->pszText, text.data(), length);
    item->pszText[length] = '\0';
}

// Answers the list-view messages that the load, the save and the helpers send.
LRESULT CALLBACK StandInListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* item = reinterpret_cast<LVITEMA*>(lParam);
    switch (message) {
        case LVM_GETITEMCOUNT:
            return static_cast<LRESULT>(g_rows.size());
        case LVM_DELETEALLITEMS:
            g_rows.clear();
            return TRUE;
        case LVM_INSERTITEMA:
            g_rows.insert(g_rows.begin() + std::min(static_cast<ptrdiff_t>(item->iItem),
                                                    static_cast<ptrdiff_t>(g_rows.size())),
                          Row{item->pszText, "", ""});
            return item->iItem;
        case LVM_SETITEMTEXTA: {
            Row& row = g_rows.at(wParam);
            (item->iSubItem == 0 ? row.key1 : item->iSubItem == 1 ? row.key2 : row.path) = item->pszText;
            return TRUE;
        }
        case LVM_GETITEMTEXTA: {
            const Row& row = g_rows.at(wParam);
            CopyOut(item->iSubItem == 0 ? row.key1 : item->iSubItem == 1 ? row.key2 : row.path, item);
            return TRUE;
        }
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void CreateStandInWindows() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "BenchMain";
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = StandInListProc;
    windowClass.lpszClassName = "BenchList";
    RegisterClassA(&windowClass);
    g_shared.mainWindow = CreateWindowExA(0, "BenchMain", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                          nullptr, nullptr, nullptr);
    CreateWindowExA(0, "BenchList", "", WS_CHILD, 0, 0, 10, 10, g_shared.mainWindow,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SOUND_LIST)), nullptr, nullptr);
}

// The same work as the program's load, through the platform: the count, then each section.
void LoadWithPlatform() {
    const int32_t count = static_cast<int32_t>(GetPrivateProfileIntA("LISTNUM", "LIST", 0, SavedListPath()));
    char key1[KEY_TEXT_LIMIT] = {};
    char key2[KEY_TEXT_LIMIT] = {};
    char path[PATH_TEXT_LIMIT] = {};
    for (int32_t row = 0; row < count && row < kMaxLoadedRows; ++row) {
        const std::string section = "LIST" + NumberToText(row);
        GetPrivateProfileStringA(section.c_str(), "key1", "17", key1, KEY_TEXT_LIMIT, SavedListPath());
        GetPrivateProfileStringA(section.c_str(), "key2", "88", key2, KEY_TEXT_LIMIT, SavedListPath());
        GetPrivateProfileStringA(section.c_str(), "path", "Beep", path, PATH_TEXT_LIMIT, SavedListPath());
        InsertEntryRow(key1, key2, path);
    }
}

// The same work as the program's save, through the platform: one write per key.
void SaveWithPlatform() {
    const int count = SoundListRowCount();
    WritePrivateProfileStringA("LISTNUM", "LIST", NumberToText(count).c_str(), SavedListPath());
    for (int row = 0; row < count; ++row) {
        Entry entry = {};
        ReadEntry(row, &entry);
        const std::string section = "LIST" + NumberToText(row);
        WritePrivateProfileStringA(section.c_str(), "key1", entry.key1, SavedListPath());
        WritePrivateProfileStringA(section.c_str(), "key2", entry.key2, SavedListPath());
        WritePrivateProfileStringA(section.c_str(), "path", entry.path, SavedListPath());
    }
}

std::vector<Row> Entries(int count) {
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({std::to_string(65 + i % 26), i % 3 ? "-1" : "17",
                        "C:\\Users\\user\\Music\\sounds\\effect" + std::to_string(i) + ".wav"});
    }
    return rows;
}

std::string ReadFileBytes() {
    std::string bytes;
    ReadWholeFile(SavedListPath(), &bytes);
    return bytes;
}

double Milliseconds(void (*work)()) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The file as a previous run left it: the rows in stored order. The list then shows them the
// other way round, as after a load, so that every value of the save changes.
const std::string* g_startingFile;

void PrepareSave(const std::vector<Row>& rows) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());
    DeleteFileA(SavedListPath());
    HANDLE file = CreateFileA(SavedListPath(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, g_startingFile->data(), static_cast<DWORD>(g_startingFile->size()), &written, nullptr);
    CloseHandle(file);
    g_rows.assign(rows.rbegin(), rows.rend());
}

void PrepareLoad() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());  // no cached copy
    g_rows.clear();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figures {
    double ours = 0, platform = 0;
};

bool Measure(int count, Figures* load, Figures* save) {
    const std::vector<Row> rows = Entries(count);
    g_rows.assign(rows.begin(), rows.end());
    DeleteFileA(SavedListPath());
    SaveSoundList();
    const std::string startingFile = ReadFileBytes();
    g_startingFile = &startingFile;

    const int repeats = count <= 10 ? 21 : count <= 1000 ? 5 : 1;
    std::vector<double> oursSave, platformSave, oursLoad, platformLoad;
    std::string oursText, platformText;
    std::deque<Row> oursRows, platformRows;
    for (int i = 0; i < repeats; ++i) {
        PrepareSave(rows);
        oursSave.push_back(Milliseconds([] { SaveSoundList(); }));
        oursText = ReadFileBytes();
        PrepareSave(rows);
        platformSave.push_back(Milliseconds(SaveWithPlatform));
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());
        platformText = ReadFileBytes();

        PrepareLoad();
        oursLoad.push_back(Milliseconds(LoadSoundList));
        oursRows = g_rows;
        PrepareLoad();
        platformLoad.push_back(Milliseconds(LoadWithPlatform));
        platformRows = g_rows;
    }
    *save = {Median(oursSave), Median(platformSave)};
    *load = {Median(oursLoad), Median(platformLoad)};
    if (oursText != platformText || oursRows != platformRows || static_cast<int>(oursRows.size()) != count) {
        std::printf("%d entries: the two sides did not do the same work\n", count);
        return false;
    }
    return true;
}

}  // namespace

// Arguments: the numbers of entries to measure; 10, 1,000 and 10,000 when none are given.
int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {10, 1000, 10000};
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string directory = std::string(folder) + "cb-bench-profile-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), nullptr);
    SetCurrentDirectoryA(directory.c_str());
    InitSavedListPath();
    CreateStandInWindows();

    Figures warmLoad, warmSave;
    Measure(10, &warmLoad, &warmSave);  // Wine's first calls load code and fill caches

    std::printf("| entries | work | this program (ms) | private-profile functions (ms) | ratio |\n");
    std::printf("| ---: | --- | ---: | ---: | ---: |\n");
    bool same = true;
    for (int count : counts) {
        Figures load, save;
        same = Measure(count, &load, &save) && same;
        std::printf("| %d | load | %.2f | %.2f | %.1fx |\n", count, load.ours, load.platform, load.platform / load.ours);
        std::printf("| %d | save | %.2f | %.2f | %.1fx |\n", count, save.ours, save.platform, save.platform / save.ours);
        std::fflush(stdout);
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());
    DeleteFileA(SavedListPath());
    SetCurrentDirectoryA(folder);
    RemoveDirectoryA(directory.c_str());
    return same ? 0 : 1;
}
