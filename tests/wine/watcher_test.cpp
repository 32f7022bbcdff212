// The key watcher on the real main window: keys pressed with SendInput, the sounds captured.
#include "tests/wine/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <tlhelp32.h>

#include "watcher/watcher.h"

namespace {

// Once the probe at the bottom has played twice, a whole pass has seen the keys down.
TEST(KeyWatcher, EntryKindsPlayExactlyWhenTheirKeysAreDown) {
    const struct { const char *key1, *key2; std::vector<BYTE> held; bool plays; } cases[] = {
        {"65", "-1", {'A'}, true},      {"65", "0", {'A'}, true},    {"65", "abc", {'A'}, true},
        {"65", "66", {'A', 'B'}, true}, {"65", "66", {'A'}, false},  {"65", "66", {'B'}, false},
        {"65", "0.5", {'A'}, false},    {"65.9", "-1", {'A'}, true}, {"&H41", "-1", {'A'}, true}};
    for (const auto& c : cases) {
        ResetMainWindow();
        int id = 0, probe = 0;
        FillList({{c.key1, c.key2, NewSound(&id)}, {std::to_string(c.held[0]), "-1", NewSound(&probe)}});
        Capture capture;
        for (BYTE vk : c.held) KeyDown(vk);
        EXPECT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 2; }));
        EXPECT_EQ(capture.Count(id) > 0, c.plays) << &c - cases;
        for (BYTE vk : c.held) KeyUp(vk);
    }
}

// Sounds play to their end, one after another in row order; a key tapped meanwhile still counts.
TEST(KeyWatcher, PlaysInRowOrderToTheEndAndCountsATapDuringASound) {
    ResetMainWindow();
    int first = 0, second = 0, tapped = 0;
    FillList({{"65", "-1", NewSound(&first)}, {"65", "-1", NewSound(&second)}, {"84", "-1", NewSound(&tapped, 20)}});
    Capture capture;
    KeyDown('A');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(second) >= 3; }));
    std::vector<int> starts = capture.Starts();
    starts.erase(starts.begin(), std::find(starts.begin(), starts.end(), first));  // a partial pass
    EXPECT_GE(starts.size(), 4u);
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], i % 2 ? second : first) << i;
    EXPECT_GE(capture.Samples(first), 2 * SoundSamples(40)) << "a sound cut short";
    KeyDown('T'), KeyUp('T');
    EXPECT_TRUE(PumpUntil([&] { return capture.Count(tapped) > 0; }));

    SelectRow(Control(IDC_SOUND_LIST), 0);
    Click(IDC_DELETE_BUTTON);
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(second) >= 3; }));
    starts = capture.Starts();  // only the pass under way may still play the deleted row
    EXPECT_EQ(std::count(std::find(starts.begin(), starts.end(), second), starts.end(), first), 0);
    KeyUp('A');
}

// Threads of this process that something holds suspended: SuspendThread answers with the count
// before its own. Between the two calls nothing here takes a lock.
std::set<DWORD> SuspendedThreads() {
    std::set<DWORD> suspended;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (SuspendThread(thread) > 0) suspended.insert(entry.th32ThreadID);
        ResumeThread(thread);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return suspended;
}

// The pause holds the watcher at its next read or sound without suspending it, which could stop
// it inside a lock the window needs; after the resume it plays again.
TEST(KeyWatcher, PauseHoldsSoundsWithoutSuspendingAThread) {
    ResetMainWindow();
    int sound = 0;
    Rows rows(9, Row{"7", "-1", "C:\\none.wav"});
    rows.push_back({"80", "-1", NewSound(&sound, 15)});  // at the bottom: played after every read
    FillList(rows);
    Capture capture;
    KeyDown('P');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 2; }));
    PauseKeyWatcher();  // only a play whose check had passed before may still start
    const std::set<DWORD> suspended = SuspendedThreads();  // a thread being made is, for a moment
    const int played = capture.Count(sound);
    EXPECT_FALSE(PumpUntil([&] { return capture.Count(sound) > played + 1; }, 300));
    for (DWORD thread : SuspendedThreads()) EXPECT_EQ(suspended.count(thread), 0u) << "held suspended by the pause";
    ResumeKeyWatcher();
    EXPECT_TRUE(PumpUntil([&] { return capture.Count(sound) >= played + 3; }));
    KeyUp('P');
}

}  // namespace
