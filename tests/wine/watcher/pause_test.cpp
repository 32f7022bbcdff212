// The pause that AddEntry makes: the watcher reads no row and starts no sound while paused, goes
// on where it stopped, and the user-interface thread never waits for it.
#include "tests/wine/soundlist/listcheck.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "tests/wine/common/sound.h"
#include "watcher/watcher.h"

namespace {

// What the watcher asked the list, as the user-interface thread served it.
struct Request {
    bool count;  // LVM_GETITEMCOUNT; otherwise a text read of row and column
    int row;
    int column;
};

std::vector<Request>* g_requests = nullptr;
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK RecordingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_requests && InSendMessage()) {
        if (message == LVM_GETITEMCOUNT) g_requests->push_back({true, -1, -1});
        if (message == LVM_GETITEMTEXTA) {
            const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            g_requests->push_back({false, static_cast<int>(wParam), item->iSubItem});
        }
    }
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

class RecordedList {
public:
    explicit RecordedList(std::vector<Request>* requests) {
        g_requests = requests;
        g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingListProc)));
    }
    ~RecordedList() {
        SetWindowLongPtrA(List(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
        g_requests = nullptr;
    }
};

// The request that a pass makes after `previous`, on a list of `rows` rows.
bool Follows(const Request& previous, const Request& next, int rows) {
    if (previous.count) return rows == 0 ? next.count : !next.count && next.row == 0 && next.column == 0;
    if (previous.column < 2) {
        return !next.count && next.row == previous.row && next.column == previous.column + 1;
    }
    if (previous.row + 1 < rows) return !next.count && next.row == previous.row + 1 && next.column == 0;
    return next.count;
}

class Pause : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the capture file";
        ResetMainWindow();
        SetForegroundWindow(AppWindow());
        PumpMessages();
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
    int sound = 0;
    sound = NextSoundId();
    const std::string path = WriteTestSound(dir_, sound, 20);
    FillList({{"7", "-1", "C:\\none.wav"}, {"80", "-1", path}, {"7", "-1", "C:\\none.wav"},
              {"7", "-1", "C:\\none.wav"}, {"7", "-1", "C:\\none.wav"}});
    const int rows = RowCount();
    std::vector<Request> requests;
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
        ASSERT_TRUE(Follows(requests[i - 1], requests[i], rows))
            << "request " << i << ": row " << requests[i].row << " column " << requests[i].column
            << " after row " << requests[i - 1].row << " column " << requests[i - 1].column;
    }
}

// Ends the process when an add has not returned within the limit: a deadlock would otherwise
// hang the whole run. Armed around each add only.
class Watchdog {
public:
    explicit Watchdog(DWORD limitMs) : limitMs_(limitMs), thread_([this] { Run(); }) {}
    ~Watchdog() {
        done_ = true;
        thread_.join();
    }
    void Arm(int step) {
        step_ = step;
        since_ = GetTickCount();
        armed_ = true;
    }
    void Disarm() { armed_ = false; }

private:
    void Run() {
        while (!done_) {
            if (armed_ && GetTickCount() - since_ > limitMs_) {
                std::fprintf(stderr, "watchdog: add %d has not returned after %lu ms\n",
                             step_.load(), static_cast<unsigned long>(limitMs_));
                std::fflush(stderr);
                ExitProcess(3);
            }
            Sleep(50);
        }
    }
    DWORD limitMs_;
    std::atomic<bool> done_{false};
    std::atomic<bool> armed_{false};
    std::atomic<int> step_{0};
    std::atomic<DWORD> since_{0};
    std::thread thread_;
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
    int sound = NextSoundId();
    const std::string path = WriteTestSound(dir_, sound, 15);
    std::vector<Row> initial;
    for (int i = 0; i < 9; ++i) initial.push_back({"7", std::to_string(300 + i), "C:\\none.wav"});
    initial.push_back({"80", "-1", path});  // at the bottom: every pass reads all rows first
    FillList(initial);
    Capture capture;
    KeyDown('P');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 2; }));

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double slowestAddMs = 0;
    Watchdog watchdog(5000);
    for (int batch = 0; batch < kBatches; ++batch) {
        for (int i = 0; i < kAddsPerBatch; ++i) {
            // As EditEntry enters the mode: without a click, which is slow under Wine.
            SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
            ApplyRegistrationMode();
            SetField(IDC_KEY1_EDIT, "7");
            SetField(IDC_KEY2_EDIT, std::to_string(1000 + i).c_str());
            SetField(IDC_PATH_EDIT, ("C:\\stress\\" + std::to_string(i) + ".wav").c_str());
            PumpMessages();
            watchdog.Arm(batch * kAddsPerBatch + i);
            QueryPerformanceCounter(&start);
            Click(IDC_ADD_BUTTON);
            QueryPerformanceCounter(&end);
            watchdog.Disarm();
            slowestAddMs = std::max(slowestAddMs,
                                    (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
            KeepHeld('P');
        }

        // Nothing lost and nothing half-made: the batch on top, newest first, then the rest.
        const std::vector<Row> rows = Rows();
        ASSERT_EQ(rows.size(), initial.size() + kAddsPerBatch) << "batch " << batch;
        for (int i = 0; i < kAddsPerBatch; ++i) {
            const int added = kAddsPerBatch - 1 - i;
            ASSERT_EQ(rows[i], (Row{"7", std::to_string(1000 + added),
                                    "C:\\stress\\" + std::to_string(added) + ".wav"}))
                << "batch " << batch << " row " << i;
        }
        ASSERT_TRUE(std::equal(initial.begin(), initial.end(), rows.begin() + kAddsPerBatch));
        SendMessageA(List(), WM_SETREDRAW, FALSE, 0);  // deleting from a visible list is slow
        for (int i = 0; i < kAddsPerBatch; ++i) DeleteListItem(List(), 0);
        SendMessageA(List(), WM_SETREDRAW, TRUE, 0);

        // The watcher goes on playing.
        const int played = capture.Count(sound);
        ASSERT_TRUE(PumpUntil([&] { return KeepHeld('P') && capture.Count(sound) >= played + 2; }))
            << "the watcher stopped after batch " << batch;
    }
    RecordProperty("slowest_add_ms", std::to_string(slowestAddMs));
    std::printf("slowest add: %.1f ms\n", slowestAddMs);
}

}  // namespace
