// A main window whose saved list holds 1,000 entries when it is made, in a folder of its own
// (so not the harness's window): its rows, its paint and the key watcher on it.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/wine/common/sound.h"
#include "tests/wine/soundlist/listcheck.h"

namespace {

TEST(LargeList, ShowsEveryRowNewestFirstAndTheWatcherPlaysTheBottomOne) {
    ASSERT_TRUE(Capture::Available());
    const std::string dir = MakeTempDir("largelist");
    const int sound = NextSoundId();
    // Entry 0, the bottom row, on F9; every other one never plays, its first key never being down.
    Rows saved = {{std::to_string(VK_F9), "-1", WriteTestSound(dir, sound)}};
    std::string ini = "[LISTNUM]\r\nLIST=1000\r\n";
    for (int i = 0; i < 1000; ++i) {
        if (i > 0) saved.push_back({"7", std::to_string(i), "C:\\row-" + std::to_string(i) + ".wav"});
        ini += "[LIST" + std::to_string(i) + "]\r\nkey1=" + saved[i][0] + "\r\nkey2=" + saved[i][1] +
               "\r\npath=" + saved[i][2] + "\r\n";
    }
    FILE* file = std::fopen((dir + "\\data.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(ini.data(), 1, ini.size(), file);
    std::fclose(file);

    SetCurrentDirectoryA(dir.c_str());
    CreateSharedResources();
    HWND list = GetDlgItem(CreateMainWindow(), IDC_SOUND_LIST);
    EXPECT_TRUE(ListRows(list) == Rows(saved.rbegin(), saved.rend()));
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);

    // With its redraw left off the list would neither draw its rows nor take a repaint.
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(list, nullptr, FALSE); }));
    RECT label = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label));
    HDC dc = GetDC(list);
    int ink = 0;  // pixels darker than the background: the top row's text as drawn
    for (int y = label.top; y < label.bottom; ++y) {
        for (int x = label.left; x < label.right; ++x) ink += (GetPixel(dc, x, y) & 0x808080) == 0;
    }
    ReleaseDC(list, dc);
    EXPECT_GT(ink, 10);
    SendMessageA(list, LVM_REDRAWITEMS, 0, 0);
    EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE));

    Capture capture;  // the bottom row is read last in every pass, after all 999 others
    KeyDown(VK_F9);
    EXPECT_TRUE(PumpUntil([&] { return capture.Count(sound) > 0; }, 20000));
    KeyUp(VK_F9);
    PumpUntilCaptureQuiet(300);
    for (int id : capture.Starts()) EXPECT_EQ(id, sound);
}

}  // namespace
