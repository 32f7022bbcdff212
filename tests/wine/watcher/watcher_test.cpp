// The key watcher on the real main window: keys sent with SendInput, the sound output captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/wine/common/sound.h"
#include "tests/wine/soundlist/listcheck.h"
#include "watcher/watcher.h"

namespace {

std::string Sound(int* id, int milliseconds = 40) {  // a sound of its own for every entry
    static const std::string dir = MakeTempDir("watcher");
    *id = NextSoundId();
    return WriteTestSound(dir, *id, milliseconds);
}

// Once the probe at the bottom has played twice, a whole pass has seen the keys down.
TEST(KeyWatcher, EntryKindsPlayExactlyWhenTheirKeysAreDown) {
    const struct { const char *key1, *key2; std::vector<BYTE> held; bool plays; } cases[] = {
        {"65", "-1", {'A'}, true},      {"65", "0", {'A'}, true},    {"65", "abc", {'A'}, true},
        {"65", "66", {'A', 'B'}, true}, {"65", "66", {'A'}, false},  {"65", "66", {'B'}, false},
        {"65", "0.5", {'A'}, false},    {"65.9", "-1", {'A'}, true}, {"&H41", "-1", {'A'}, true}};
    for (const auto& c : cases) {
        FreshMainWindow();
        int id = 0, probe = 0;
        FillList({{c.key1, c.key2, Sound(&id)}, {std::to_string(c.held[0]), "-1", Sound(&probe)}});
        Capture capture;
        for (BYTE vk : c.held) KeyDown(vk);
        EXPECT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 2; }));
        EXPECT_EQ(capture.Count(id) > 0, c.plays) << &c - cases;
        for (BYTE vk : c.held) KeyUp(vk);
    }
}

TEST(KeyWatcher, HeldKeyPlaysItsEntriesInRowOrderBackToBackUntilOneIsDeleted) {
    FreshMainWindow();
    int first = 0, second = 0;
    FillList({{"65", "-1", Sound(&first)}, {"65", "-1", Sound(&second)}});
    Capture capture;
    KeyDown('A');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(second) >= 3; }));
    std::vector<int> starts = capture.Starts();
    starts.erase(starts.begin(), std::find(starts.begin(), starts.end(), first));  // a partial pass
    EXPECT_GE(starts.size(), 4u);
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], i % 2 ? second : first) << i;

    SelectRows({0});
    Click(IDC_DELETE_BUTTON);
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(second) >= 4; }));
    // Only the pass under way may still play the deleted row; a synchronous play is never cut.
    starts = capture.Starts();
    EXPECT_EQ(std::count(std::find(starts.begin(), starts.end(), second), starts.end(), first), 0);
    EXPECT_GE(capture.Samples(second), 3 * SoundSamples(40));
    KeyUp('A');
}

VOID CALLBACK AddHung(PVOID, BOOLEAN) {  // a deadlock would hang the whole run instead
    std::fputs("watchdog: an add has not returned after 5 s\n", stderr);
    ExitProcess(3);
}

TEST(KeyWatcher, PauseHoldsSoundsAndHundredsOfAddsNeitherHangNorLoseRows) {
    FreshMainWindow();
    int sound = 0;
    Rows rows(9, Row{"7", "-1", "C:\\none.wav"});
    rows.push_back({"80", "-1", Sound(&sound, 15)});  // at the bottom: played after every read
    FillList(rows);
    Capture capture;
    KeyDown('P');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 2; }));
    PauseKeyWatcher();  // only a play whose check had passed before may still start
    const int played = capture.Count(sound);
    EXPECT_FALSE(PumpUntil([&] { return capture.Count(sound) > played + 1; }, 300));
    ResumeKeyWatcher();

    // Each add comes when the watcher, its reads served, runs its own code and may hold locks.
    HANDLE watchdog = nullptr;
    CreateTimerQueueTimer(&watchdog, nullptr, AddHung, nullptr, INFINITE, 0, 0);
    for (int add = 0; add < 800; ++add) {
        Click(IDC_REGISTER_TOGGLE);
        const Row row = {"7", std::to_string(1000 + add), "C:\\" + std::to_string(add)};
        SetFields(row);
        PumpMessages();
        ChangeTimerQueueTimer(nullptr, watchdog, 5000, 0);
        Click(IDC_ADD_BUTTON);
        KeyDown('P');  // the toggle's mouse capture makes Wine resync the keys, which releases it
        ASSERT_TRUE(RowCount() == 11 && ListRows()[0] == row) << add;  // whole, and nothing lost
        DeleteListItem(0);  // so that passes stay short
    }
    DeleteTimerQueueTimer(nullptr, watchdog, INVALID_HANDLE_VALUE);
    const int later = capture.Count(sound);
    EXPECT_TRUE(PumpUntil([&] { KeyDown('P'); return capture.Count(sound) >= later + 2; }));
    KeyUp('P');
}

}  // namespace
