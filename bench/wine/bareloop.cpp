// The baseline of scripts/bench-watcher.sh: a plain window with a report list view of the same
// rows, and a thread that makes the same pass as the key watcher (the same look-ups, reads,
// conversions, key questions, sound and sleep) with nothing around it: no pause checks and no
// helpers. What the program costs beyond it is the cost of its own structure.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include "support/numtext.h"
#include "bench/wine/watcherbench.h"

namespace {

constexpr int kListId = 1000;
HWND g_window = nullptr;

void ReadCell(int row, int column, char* buffer, int limit) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = limit;
    SendMessageA(GetDlgItem(g_window, kListId), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

bool Down(const char* text) { return GetAsyncKeyState(TruncateToInt32(TextToNumber(text))) != 0; }

DWORD WINAPI BarePass(LPVOID) {
    char key1[256] = {};
    char key2[256] = {};
    char path[1024] = {};
    for (;;) {
        const int rows =
            static_cast<int>(SendMessageA(GetDlgItem(g_window, kListId), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            ReadCell(row, 0, key1, sizeof key1);
            ReadCell(row, 1, key2, sizeof key2);
            ReadCell(row, 2, path, sizeof path);
            bool pressed;
            if (TextToNumber(key2) > 0) {
                const bool first = Down(key1);
                const bool second = Down(key2);
                pressed = first && second;
            } else {
                pressed = Down(key1);
            }
            if (pressed) PlaySoundA(path, nullptr, SND_FILENAME);
        }
        Sleep(16);
    }
}

void InsertTopRow(const char* key1, const char* key2, const char* path) {
    HWND list = GetDlgItem(g_window, kListId);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(key1);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column <= 2; ++column) {
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(column == 1 ? key2 : path);
        SendMessageA(list, LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&cell));
    }
}

// The tools link no comctl32 import library; the list view class comes from the DLL itself.
void InitListViewClass() {
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    if (init) init(&classes);
}

}  // namespace

int main() {
    watcherbench::Settings settings;
    if (!watcherbench::ReadSettings(&settings)) {
        std::fprintf(stderr, "bareloop: run by scripts/bench-watcher.sh\n");
        return 2;
    }
    InitListViewClass();
    g_window = CreateWindowExA(0, "STATIC", "bare loop", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                               480, 360, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "SysListView32", "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 145, 165,
                                320, 140, g_window, reinterpret_cast<HMENU>(kListId),
                                GetModuleHandleA(nullptr), nullptr);
    const char* headers[] = {"key1", "key2", "path"};
    for (int column = 0; column < 3; ++column) {
        LVCOLUMNA definition = {};
        definition.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        definition.cx = column == 2 ? 200 : 50;
        definition.pszText = const_cast<char*>(headers[column]);
        definition.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&definition));
    }
    const std::string sound = watcherbench::WriteBenchSound(settings.dir);
    watcherbench::FillRows(list, settings.rows, sound, InsertTopRow);
    watcherbench::TimePasses(list);
    CreateThread(nullptr, 0, BarePass, nullptr, 0, nullptr);
    watcherbench::ServeUntilStopped(settings);
    return 0;
}
