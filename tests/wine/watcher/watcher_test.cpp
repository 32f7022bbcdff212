// The key watcher on the real main window: keys pressed through SendInput, and what it played
// read back from the capture of the sound output. Also the pause that AddEntry makes.
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

// Rows are read from the top, so once the probe at the bottom has played twice a whole pass has
// seen the keys down: what did not play by then was not going to.
TEST(KeyWatcher, EntryKindsPlayExactlyWhenTheirKeysAreDown) {
    const struct { const char* key1; const char* key2; std::vector<BYTE> held; bool plays; } cases[] = {
        {"65", "-1", {'A'}, true},      {"65", "0", {'A'}, true},    {"65", "abc", {'A'}, true},
        {"65", "66", {'A', 'B'}, true}, {"65", "66", {'A'}, false},  {"65", "66", {'B'}, false},
        {"65", "0.5", {'A'}, false},    {"65.9", "-1", {'A'}, true}, {"&H41", "-1", {'A'}, true}};
    for (const auto& c : cases) {
        FreshMainWindow();
        int entry = 0, probe = 0;
        FillList({{c.key1, c.key2, Sound(&entry)}, {std::to_string(c.held[0]), "-1", Sound(&probe)}});
        Capture capture;
        for (BYTE vk : c.held) KeyDown(vk);
        EXPECT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 2; }));
        EXPECT_EQ(capture.Count(entry) > 0, c.plays) << &c - cases;
        for (BYTE vk : c.held) KeyUp(vk);
        PumpUntilCaptureQuiet(200);
    }
}

TEST(KeyWatcher, HeldKeysPlayInRowOrderBackToBackUntilTheRowIsDeleted) {
    FreshMainWindow();
    int first = 0, twoKey = 0, last = 0;
    FillList({{"65", "-1", Sound(&first)}, {"65", "66", Sound(&twoKey)}, {"65", "-1", Sound(&last)}});
    Capture capture;
    KeyDown('A');
    KeyDown('B');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(last) >= 3; }));
    std::vector<int> starts = capture.Starts();
    starts.erase(starts.begin(), std::find(starts.begin(), starts.end(), first));  // a partial pass
    EXPECT_GE(starts.size(), 6u);
    const int pass[] = {first, twoKey, last};
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], pass[i % 3]) << i;

    SelectRows({0});
    Click(IDC_DELETE_BUTTON);
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(last) >= 4; }));
    // The pass under way may still play the deleted row, the next ones not. A synchronous play
    // is never cut, so every one is whole.
    starts = capture.Starts();
    EXPECT_EQ(std::count(std::find(starts.begin(), starts.end(), last), starts.end(), first), 0);
    EXPECT_GE(capture.Samples(last), 3 * SoundSamples(40));
    KeyUp('A');
    KeyUp('B');
    EXPECT_TRUE(PumpUntilCaptureQuiet(300));
}

VOID CALLBACK AddHung(PVOID, BOOLEAN) {  // a deadlock would hang the whole run instead
    std::fputs("watchdog: an add has not returned after 5 s\n", stderr);
    ExitProcess(3);
}

// Under a Wine virtual desktop a button's mouse capture (every add clicks the toggle) makes Wine
// resync the key state with the X keyboard, which releases the key. A real held key repeats.
bool KeepHeld(BYTE vk) {
    if (GetAsyncKeyState(vk) >= 0) KeyDown(vk);
    return true;
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
    for (int cycle = 0; cycle < 20; ++cycle) {
        const int played = capture.Count(sound);
        PauseKeyWatcher();  // only a play whose check had passed before may still start
        PumpUntil([&] { return capture.Count(sound) > played + 1; }, 20 + cycle % 5 * 40);
        EXPECT_LE(capture.Count(sound), played + 1);
        ResumeKeyWatcher();
        ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) > played + 1; }));
    }

    // Each add comes right after the pending reads were served, when the watcher most likely runs
    // its own code (a look-up, an allocation, a sound), where a suspended thread holds locks.
    HANDLE watchdog = nullptr;
    CreateTimerQueueTimer(&watchdog, nullptr, AddHung, nullptr, INFINITE, 0, 0);
    for (int add = 0; add < 800; ++add) {
        SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);  // a click is slow
        ApplyRegistrationMode();
        const Row row = {"7", std::to_string(1000 + add), "C:\\" + std::to_string(add)};
        SetFields(row);
        PumpMessages();
        ChangeTimerQueueTimer(nullptr, watchdog, 5000, 0);
        Click(IDC_ADD_BUTTON);
        KeepHeld('P');
        ASSERT_TRUE(RowCount() == 11 && ListRows()[0] == row) << add;  // whole, and nothing lost
        DeleteListItem(List(), 0);  // so that passes stay short
    }
    DeleteTimerQueueTimer(nullptr, watchdog, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(ListRows() == rows);
    const int played = capture.Count(sound);
    EXPECT_TRUE(PumpUntil([&] { return KeepHeld('P') && capture.Count(sound) >= played + 2; }));
    KeyUp('P');
    PumpUntilCaptureQuiet(200);
}

}  // namespace
