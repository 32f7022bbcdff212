// A main window made with 1,000 saved entries, in a folder of its own, not the harness's window.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/wine/common/sound.h"
#include "tests/wine/soundlist/listcheck.h"

namespace {

TEST(LargeList, ShowsEveryRowNewestFirstAndTheWatcherPlaysTheBottomOne) {
    const std::string dir = MakeTempDir("largelist");
    const int sound = NextSoundId();
    // Entry 0, the bottom row, on F9; every other one never plays, its first key never being down.
    Rows rows = {{std::to_string(VK_F9), "-1", WriteTestSound(dir, sound)}};
    std::string ini = "[LISTNUM]\r\nLIST=1000\r\n";
    for (int i = 0; i < 1000; ++i) {
        if (i > 0) rows.push_back({"7", std::to_string(i), "C:\\" + std::to_string(i)});
        ini += "[LIST" + std::to_string(i) + "]\r\nkey1=" + rows[i][0] + "\r\nkey2=" + rows[i][1] +
               "\r\npath=" + rows[i][2] + "\r\n";
    }
    std::ofstream(dir + "\\data.ini", std::ios::binary) << ini;

    SetCurrentDirectoryA(dir.c_str());
    CreateSharedResources();
    HWND list = GetDlgItem(CreateMainWindow(), IDC_SOUND_LIST);
    EXPECT_TRUE(ListRows(list) == Rows(rows.rbegin(), rows.rend()));
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);

    // With its redraw left off the list would take no repaint.
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(list, nullptr, FALSE); }));
    SendMessageA(list, LVM_REDRAWITEMS, 0, 0);
    EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE));
    Capture capture;  // the bottom row is read last in every pass, after all 999 others
    KeyDown(VK_F9);
    EXPECT_TRUE(PumpUntil([&] { return capture.Count(sound) > 0; }, 20000));
    KeyUp(VK_F9);
}

}  // namespace
