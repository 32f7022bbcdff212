// The key watcher: walks the sound list again and again, asks for the keys of each entry and
// plays the entry's sound, synchronously, when they are pressed. It keeps no copy of the list.
#include "watcher/watcher.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "soundlist/soundlist.h"
#include "support/numtext.h"

namespace {

// How AddEntry pauses the watcher without SuspendThread, which can stop it inside the allocator
// or another lock that the user-interface thread then needs: a flag and a manual-reset event.
// Immediately before each message to the list and before each sound the watcher looks at the
// flag and, while it is set, blocks on the event until the resume sets it. The flag spares the
// watcher a kernel wait on every read when nothing is paused (under Wine each such wait is a
// server round trip, a quarter of the cost of a pass). Pausing and resuming never wait, so the
// user-interface thread never waits for the watcher, for a sound or for its own messages.
//
// The remaining window: a call whose check passed just before the pause still goes out. For a
// list message that is harmless: the user-interface thread serves it only when it next
// retrieves messages, after AddEntry has returned. A sound, though, can start during the
// pause: at most one, whose check passed a few instructions (or one preemption of the watcher)
// before the pause. The pass keeps its row count and index while it waits, so after the resume
// it goes on exactly where it stopped.
std::atomic<bool> g_paused{false};
HANDLE g_mayRun = nullptr;  // set while not paused

void WaitWhilePaused() {
    if (g_paused) WaitForSingleObject(g_mayRun, INFINITE);
}

// Any non-zero state counts, the "pressed since last asked" low bit included: a tap released
// while another sound played still plays. Intended.
bool KeyCountsAsPressed(const char* keyText) {
    return GetAsyncKeyState(TruncateToInt32(TextToNumber(keyText))) != 0;
}

bool EntryKeysPressed(const char* key1, const char* key2) {
    // Decided before any truncation, so "0.5" makes a two-key entry whose second code is 0.
    if (TextToNumber(key2) > 0) {
        const bool first = KeyCountsAsPressed(key1);
        const bool second = KeyCountsAsPressed(key2);  // asked whatever the first answer was
        return first && second;
    }
    return KeyCountsAsPressed(key1);
}

// The texts are zero-filled once and then only overwritten by the reads: a read that delivers
// nothing leaves the previous row's text in place.
DWORD WINAPI KeyWatcherProc(LPVOID) {
    Entry entry = {};
    for (;;) {
        // Counted once per pass: rows changed meanwhile are seen by the next pass.
        WaitWhilePaused();
        const int rows = SoundListRowCount();
        for (int row = 0; row < rows; ++row) {
            ReadEntry(row, &entry, WaitWhilePaused);
            if (EntryKeysPressed(entry.key1, entry.key2)) {
                WaitWhilePaused();
                PlaySoundA(entry.path, nullptr, SND_FILENAME);
            }
        }
        Sleep(16);
    }
}

}  // namespace

// The thread's handle is never needed again: the watcher ends with the process.
void StartKeyWatcher() {
    g_mayRun = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    DWORD threadId = 0;
    CloseHandle(CreateThread(nullptr, 0, KeyWatcherProc, nullptr, 0, &threadId));
}

// The event is reset before the flag is raised, so a watcher that sees the flag blocks until
// the resume; the flag is lowered before the event is set, so no waiter is left behind.
void PauseKeyWatcher() {
    ResetEvent(g_mayRun);
    g_paused = true;
}

void ResumeKeyWatcher() {
    g_paused = false;
    SetEvent(g_mayRun);
}
