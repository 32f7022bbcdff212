// A main window whose saved list holds 1,000 entries when it is made: the rows it shows and
// their order, the scroll bar and the paint after the load, the key watcher's first look at
// the list and the sound of the bottom row. The window is made once for this program, in a
// folder of its own that holds the data.ini, so nothing here uses the harness's own window.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"

namespace {

constexpr int kEntries = 1000;
constexpr BYTE kBottomKey = VK_F9;

// Codes that no keyboard sends: the entries on them never play.
const char* const kUnsentKeys[] = {"7", "14", "15", "58", "64", "136", "143", "151", "159", "184", "232"};

struct Entry {
    std::string key1, key2, path;
};

struct Loaded {
    HWND window = nullptr;
    int soundId = 0;
    std::string sound;
};

// The entry of section "LIST" + index: the bottom row's on a key the tests press, every other
// one a two-key entry whose first key is never down.
Entry SavedEntry(int index, const std::string& bottomSound) {
    if (index == 0) return {std::to_string(kBottomKey), "-1", bottomSound};
    const size_t keys = sizeof kUnsentKeys / sizeof kUnsentKeys[0];
    return {kUnsentKeys[static_cast<size_t>(index) % keys], std::to_string(index),
            "C:\\sounds\\row-" + std::to_string(index) + ".wav"};
}

void WriteDataIni(const std::string& dir, const std::string& bottomSound) {
    std::string text = "[LISTNUM]\r\nLIST=" + std::to_string(kEntries) + "\r\n";
    for (int i = 0; i < kEntries; ++i) {
        const Entry entry = SavedEntry(i, bottomSound);
        text += "[LIST" + std::to_string(i) + "]\r\nkey1=" + entry.key1 + "\r\nkey2=" + entry.key2 +
                "\r\npath=" + entry.path + "\r\n";
    }
    FILE* file = std::fopen((dir + "\\data.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

// The row counts that the key watcher's passes were given, first pass first. A hook of this
// thread sees every answer, also one given while the window is still being made.
HHOOK g_answers = nullptr;
std::vector<LRESULT> g_watcherCounts;

LRESULT CALLBACK RecordWatcherCount(int code, WPARAM wParam, LPARAM lParam) {
    const auto* answered = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && answered->message == LVM_GETITEMCOUNT && InSendMessage()) {
        g_watcherCounts.push_back(answered->lResult);
    }
    return CallNextHookEx(g_answers, code, wParam, lParam);
}

const Loaded& LoadedWindow() {
    static const Loaded loaded = [] {
        Loaded made;
        const std::string dir = MakeTempDir("largelist");
        made.soundId = NextSoundId();
        made.sound = WriteTestSound(dir, made.soundId);
        WriteDataIni(dir, made.sound);
        SetCurrentDirectoryA(dir.c_str());
        g_answers = SetWindowsHookExA(WH_CALLWNDPROCRET, RecordWatcherCount, nullptr, GetCurrentThreadId());
        CreateSharedResources();
        made.window = CreateMainWindow();
        return made;
    }();
    return loaded;
}

HWND List() { return GetDlgItem(LoadedWindow().window, IDC_SOUND_LIST); }

int RowCount() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

std::string Cell(int row, int column) {
    char buffer[PATH_TEXT_LIMIT] = {};
    GetListItemText(List(), row, column, buffer, PATH_TEXT_LIMIT);
    return buffer;
}

bool Painted(HWND window) {
    return PumpUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); });
}

// Pixels of the row's first cell that are darker than the background: its text as drawn.
int InkInRow(int row) {
    RECT cell = {};
    cell.left = LVIR_LABEL;
    SendMessageA(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    HDC dc = GetDC(List());
    int ink = 0;
    for (int y = cell.top; y < cell.bottom; ++y) {
        for (int x = cell.left; x < cell.right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            ink += pixel != CLR_INVALID && GetRValue(pixel) < 128 && GetGValue(pixel) < 128 && GetBValue(pixel) < 128;
        }
    }
    ReleaseDC(List(), dc);
    return ink;
}

TEST(LargeList, TheWatchersFirstPassCountsEveryLoadedRow) {
    ASSERT_NE(LoadedWindow().window, nullptr);
    ASSERT_NE(g_answers, nullptr);
    ASSERT_TRUE(PumpUntil([] { return !g_watcherCounts.empty(); }));
    UnhookWindowsHookEx(g_answers);  // a hook on every message slows the watcher's later passes
    EXPECT_EQ(g_watcherCounts.front(), kEntries);
}

TEST(LargeList, ShowsTheSavedEntriesNewestFirst) {
    ASSERT_EQ(RowCount(), kEntries);
    for (int row = 0; row < kEntries; ++row) {
        const Entry expected = SavedEntry(kEntries - 1 - row, LoadedWindow().sound);
        ASSERT_EQ(Cell(row, 0), expected.key1) << "row " << row;
        ASSERT_EQ(Cell(row, 1), expected.key2) << "row " << row;
        ASSERT_EQ(Cell(row, 2), expected.path) << "row " << row;
    }
}

TEST(LargeList, TheTopRowShowsFirstAndTheScrollBarSpansEveryRow) {
    HWND list = List();
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
    const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(perPage, 0);
    ASSERT_LT(perPage, kEntries);
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &bar));
    EXPECT_EQ(bar.nPos, 0);
    EXPECT_EQ(bar.nMax - bar.nMin + 1, kEntries);
    EXPECT_EQ(static_cast<int>(bar.nPage), perPage);
}

// With its redraw left switched off, the list would neither draw its rows nor take a change.
TEST(LargeList, TheRowsArePaintedAndTheListRepaintsAfterTheLoad) {
    HWND list = List();
    ASSERT_TRUE(Painted(LoadedWindow().window));
    ASSERT_TRUE(Painted(list));
    const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_GT(InkInRow(0), 10) << "the top row is not drawn";
    EXPECT_GT(InkInRow(perPage - 1), 10) << "the last whole row on view is not drawn";
    SendMessageA(list, LVM_REDRAWITEMS, 0, 0);
    EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE)) << "the list takes no repaint";
    EXPECT_TRUE(Painted(list));
}

// The bottom row is read last in every pass, after all 999 others.
TEST(LargeList, TheWatcherPlaysTheBottomRowsSound) {
    ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the capture file";
    const Loaded& loaded = LoadedWindow();
    ASSERT_TRUE(PumpUntilCaptureQuiet(200));
    Capture capture;
    KeyDown(kBottomKey);
    const bool played = PumpUntil([&] { return capture.Count(loaded.soundId) > 0; }, 20000);
    KeyUp(kBottomKey);
    EXPECT_TRUE(played);
    PumpUntilCaptureQuiet(300);
    for (int started : capture.Starts()) EXPECT_EQ(started, loaded.soundId);
}

}  // namespace
