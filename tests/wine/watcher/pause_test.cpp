// The pause that AddEntry makes: the watcher reads no row and starts no sound while paused, goes
// on where it stopped, and the user-interface thread never waits for it.
#include "tests/wine/soundlist/listcheck.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/wine/common/sound.h"
#include "watcher/watcher.h"

namespace {

// What the watcher asked the list, as the user-interface thread served it: -1 for the row
// count, row * 3 + column for a text read. A pass is then -1, 0, 1, ... rows * 3 - 1.
std::vector<int>* g_requests = nullptr;
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK RecordingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_requests && InSendMessage()) {
        if (message == LVM_GETITEMCOUNT) g_requests->push_back(-1);
        if (message == LVM_GETITEMTEXTA) {
            g_requests->push_back(static_cast<int>(wParam) * 3 +
                                  reinterpret_cast<const LVITEMA*>(lParam)->iSubItem);
        }
    }
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

class RecordedList {
public:
    explicit RecordedList(std::vector<int>* requests) {
        g_requests = requests;
        g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingListProc)));
    }
    ~RecordedList() {
        SetWindowLongPtrA(List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
        g_requests = nullptr;
    }
};

class Pause : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the capture file";
        FreshMainWindow();
        dir_ = MakeTempDir("pause");
    }
    void TearDown() override {
        ResumeKeyWatcher();
        KeyUp('P');
        ResetMainWindow();
        PumpUntilCaptureQuiet(200);
    }
    std::string dir_;
};

TEST_F(Pause, NoReadAndNoSoundWhilePausedAndThePassGoesOn) {
    const int sound = NextSoundId();
    const std::string path = WriteTestSound(dir_, sound, 20);
    FillList({{"7", "-1", "C:\\none.wav"}, {"80", "-1", path}, {"7", "-1", "C:\\none.wav"},
              {"7", "-1", "C:\\none.wav"}, {"7", "-1", "C:\\none.wav"}});
    const int rows = RowCount();
    std::vector<int> requests;
    RecordedList recorded(&requests);
    Capture capture;
    KeyDown('P');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 2; }));

    int mostReadsInAPause = 0;
    int mostStartsInAPause = 0;
    for (int cycle = 0; cycle < 40; ++cycle) {
        const size_t readsBefore = requests.size();
        const int startsBefore = capture.Count(sound);
        PauseKeyWatcher();
        // Pumping serves any read the watcher sends; only one that had passed its check before
        // the pause may arrive. Watch for a second one for a few passes' time.
        PumpUntil([&] { return requests.size() > readsBefore + 1; }, 20 + cycle % 5 * 20);
        mostReadsInAPause = std::max(mostReadsInAPause, static_cast<int>(requests.size() - readsBefore));
        mostStartsInAPause = std::max(mostStartsInAPause, capture.Count(sound) - startsBefore);
        ResumeKeyWatcher();
        const size_t target = requests.size() + 1 + cycle % 7;
        ASSERT_TRUE(PumpUntil([&] { return requests.size() >= target; })) << "cycle " << cycle;
    }
    KeyUp('P');
    EXPECT_LE(mostReadsInAPause, 1);
    EXPECT_LE(mostStartsInAPause, 1);
    EXPECT_GE(capture.Count(sound), 5);

    // One unbroken walk: no pass was restarted or cut short by a pause.
    ASSERT_GT(requests.size(), 100u);
    for (size_t i = 1; i < requests.size(); ++i) {
        const int expected = requests[i - 1] + 1 < rows * 3 ? requests[i - 1] + 1 : -1;
        ASSERT_EQ(requests[i], expected) << "request " << i;
    }
}

// Ends the process when the add has not returned within five seconds: a deadlock would otherwise
// hang the whole run. Armed around one add only.
class AddWatchdog {
public:
    explicit AddWatchdog(int add) {
        CreateTimerQueueTimer(&timer_, nullptr, Fire, reinterpret_cast<PVOID>(INT_PTR{add}), 5000, 0,
                              WT_EXECUTEONLYONCE);
    }
    ~AddWatchdog() { DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE); }

private:
    static VOID CALLBACK Fire(PVOID add, BOOLEAN) {
        std::fprintf(stderr, "watchdog: add %d has not returned after 5 s\n",
                     static_cast<int>(reinterpret_cast<INT_PTR>(add)));
        std::fflush(stderr);
        ExitProcess(3);
    }
    HANDLE timer_ = nullptr;
};

// Under a Wine virtual desktop a button's mouse capture (every add clicks the toggle) makes Wine
// resync the key state with the X keyboard, which releases the key. A real held key repeats;
// so does this one.
bool KeepHeld(BYTE vk) {
    if (GetAsyncKeyState(vk) >= 0) KeyDown(vk);
    return true;
}

// Each add is made right after the pending reads have been served, when the watcher is most
// likely running its own code (looking up the control, allocating, starting a sound) rather than
// waiting for an answer: the moment at which a thread suspension would catch it holding a lock.
// Batches keep the list short, so passes stay quick.
TEST_F(Pause, HundredsOfAddsWhileTheWatcherReadsAndPlays) {
    constexpr int kBatches = 8;
    constexpr int kAddsPerBatch = 100;
    const int sound = NextSoundId();
    const std::string path = WriteTestSound(dir_, sound, 15);
    std::vector<Row> initial;
    for (int i = 0; i < 9; ++i) initial.push_back({"7", std::to_string(300 + i), "C:\\none.wav"});
    initial.push_back({"80", "-1", path});  // at the bottom: every pass reads all rows first
    FillList(initial);
    Capture capture;
    KeyDown('P');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 2; }));

    for (int batch = 0; batch < kBatches; ++batch) {
        for (int i = 0; i < kAddsPerBatch; ++i) {
            // As EditEntry enters the mode: without a click, which is slow under Wine.
            SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
            ApplyRegistrationMode();
            SetField(IDC_KEY1_EDIT, "7");
            SetField(IDC_KEY2_EDIT, std::to_string(1000 + i).c_str());
            SetField(IDC_PATH_EDIT, ("C:\\stress\\" + std::to_string(i) + ".wav").c_str());
            PumpMessages();
            {
                AddWatchdog watchdog(batch * kAddsPerBatch + i);
                Click(IDC_ADD_BUTTON);
            }
            KeepHeld('P');
        }

        // Nothing lost and nothing half-made: the batch on top, newest first, then the rest.
        std::vector<Row> expected;
        for (int i = kAddsPerBatch - 1; i >= 0; --i) {
            expected.push_back(
                {"7", std::to_string(1000 + i), "C:\\stress\\" + std::to_string(i) + ".wav"});
        }
        expected.insert(expected.end(), initial.begin(), initial.end());
        ASSERT_TRUE(Rows() == expected) << "batch " << batch;
        SendMessageA(List(), WM_SETREDRAW, FALSE, 0);  // deleting from a visible list is slow
        for (int i = 0; i < kAddsPerBatch; ++i) DeleteListItem(List(), 0);
        SendMessageA(List(), WM_SETREDRAW, TRUE, 0);

        // The watcher goes on playing.
        const int played = capture.Count(sound);
        ASSERT_TRUE(PumpUntil([&] { return KeepHeld('P') && capture.Count(sound) >= played + 2; }))
            << "the watcher stopped after batch " << batch;
    }
}

}  // namespace
