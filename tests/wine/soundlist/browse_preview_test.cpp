// The open-file dialog, the preview of a row's sound and the shell request, driven as a user
// drives them: through the real dialog, real double-clicks and the played sound.
#include "tests/wine/soundlist/listcheck.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/wine/common/sound.h"

namespace {

const char kDialogTitle[] = "ウェイヴ ファイルを開く";
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47C;  // cmb13, where the dialog has one
constexpr int kFileTypeCombo = 0x470;  // cmb1

HWND FindDialog(const char* title) {
    HWND found = nullptr;
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", title); window;
         window = FindWindowExA(nullptr, window, "#32770", title)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(window)) found = window;
    }
    return found;
}

// Waits for the open-file dialog on a thread of its own, notes what it shows, types a file
// name (or none) and presses OK or Cancel.
class FileDialogDriver {
public:
    FileDialogDriver(std::string fileName, int button)
        : fileName_(std::move(fileName)), button_(button), thread_([this] { Run(); }) {}
    ~FileDialogDriver() {
        stop_ = true;
        thread_.join();
    }
    bool Seen() const { return seen_; }
    std::string FileType() const { return fileType_; }

private:
    void Run() {
        HWND dialog = nullptr;
        const DWORD start = GetTickCount();
        while (!stop_ && !(dialog = FindDialog(kDialogTitle))) {
            if (GetTickCount() - start > 10000) return;
            Sleep(10);
        }
        if (!dialog) return;
        char type[256] = {};
        GetDlgItemTextA(dialog, kFileTypeCombo, type, sizeof type);
        fileType_ = type;
        if (!fileName_.empty()) {
            HWND edit = GetDlgItem(dialog, kFileNameEdit);
            if (!edit) edit = GetDlgItem(dialog, kFileNameCombo);
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName_.c_str()));
        }
        seen_ = true;
        PostMessageA(dialog, WM_COMMAND, button_, 0);
    }

    std::string fileName_;
    int button_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::string fileType_;
    std::thread thread_;
};

class BrowseAndPreview : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMainWindow();
        SetForegroundWindow(AppWindow());
        PumpMessages();
        GetCurrentDirectoryA(sizeof directory_, directory_);
    }
    void TearDown() override {
        SetCurrentDirectoryA(directory_);
        PlaySoundA(nullptr, nullptr, 0);
    }

    char directory_[MAX_PATH] = {};
};

TEST_F(BrowseAndPreview, BrowseOutsideRegistrationModeFillsTheDisabledPathField) {
    const std::string dir = MakeTempDir("browse");
    const std::string wav = WriteTestSound(dir, NextSoundId());
    {
        FileDialogDriver driver(wav, IDOK);
        Click(IDC_BROWSE_BUTTON);
        ASSERT_TRUE(driver.Seen());
        EXPECT_EQ(driver.FileType(), "wav ファイル(*.wav)");
    }
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_PATH_EDIT)));
    {
        BoxAnswerer cancel(kDialogTitle, IDCANCEL);
        Click(IDC_BROWSE_BUTTON);
        EXPECT_EQ(cancel.Count(), 1);
    }
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);

    SetRegistrationMode(true);
    SetField(IDC_KEY1_EDIT, "17");
    Click(IDC_ADD_BUTTON);
    EXPECT_EQ(Rows(), (std::vector<Row>{{"17", "-1", wav}}));
}

POINT RowPoint(int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageA(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    POINT point = {rect.left + 10, (rect.top + rect.bottom) / 2};
    ClientToScreen(List(), &point);
    return point;
}

POINT BelowTheRows() {
    RECT client = {};
    GetClientRect(List(), &client);
    POINT point = {client.right / 2, client.bottom - 10};
    ClientToScreen(List(), &point);
    return point;
}

TEST_F(BrowseAndPreview, DoubleClickPlaysAsynchronouslyAndTheNextStopsIt) {
    ASSERT_TRUE(Capture::Available());
    const std::string dir = MakeTempDir("preview");
    const int longId = NextSoundId();
    const int shortId = NextSoundId();
    const int thirdId = NextSoundId();
    FillList({{"0", "-1", WriteTestSound(dir, longId, 2000)},
              {"0", "-1", WriteTestSound(dir, shortId, 200)},
              {"0", "-1", WriteTestSound(dir, thirdId, 2000)}});
    Capture capture;

    DoubleClickAt(RowPoint(0));
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(longId) == 1; }));
    // Had the play waited for its end, the whole sound would be there already.
    EXPECT_LT(capture.Samples(longId), SoundSamples(2000));

    DoubleClickAt(RowPoint(1));
    ASSERT_TRUE(PumpUntil([&] { return capture.Samples(shortId) >= SoundSamples(200); }))
        << capture.Samples(shortId) << " samples; " << capture.Starts().size() << " starts";
    const size_t longPlayed = capture.Samples(longId);
    EXPECT_LT(longPlayed, SoundSamples(2000));
    EXPECT_EQ(capture.Starts(), (std::vector<int>{longId, shortId}));

    // Without a selection the play request carries no file, yet it still stops the sound.
    DoubleClickAt(RowPoint(2));
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(thirdId) == 1; }));
    DoubleClickAt(BelowTheRows());
    ASSERT_TRUE(PumpUntil([] {
        return SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0;
    }));
    ASSERT_TRUE(PumpUntilCaptureQuiet(300));
    const size_t thirdPlayed = capture.Samples(thirdId);
    EXPECT_LT(thirdPlayed, SoundSamples(2000));
    EXPECT_EQ(capture.Samples(longId), longPlayed);
}

std::string LastPart(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// The shell shows an explored folder in a window titled with the folder's name.
HWND WaitForExplorer(const std::string& folder) {
    HWND explorer = nullptr;
    PumpUntil([&] {
        explorer = FindWindowA("ExplorerWClass", LastPart(folder).c_str());
        return explorer != nullptr;
    }, 15000);
    return explorer;
}

void CloseExplorer(HWND explorer) {
    PostMessageA(explorer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(explorer); }));
}

TEST_F(BrowseAndPreview, ExploreHandsTheTopmostSelectedPathToTheShell) {
    const std::vector<Row> rows = {{"0", "-1", MakeTempDir("explore")},
                                   {"0", "-1", MakeTempDir("explore")},
                                   {"0", "-1", MakeTempDir("explore")}};
    FillList(rows);

    DoubleClickAt(RowPoint(2), true);
    HWND explorer = WaitForExplorer(rows[2].path);
    ASSERT_TRUE(explorer);
    CloseExplorer(explorer);

    SelectRows({2, 1});
    ExploreEntry();
    explorer = WaitForExplorer(rows[1].path);
    ASSERT_TRUE(explorer);
    EXPECT_FALSE(FindWindowA("ExplorerWClass", LastPart(rows[2].path).c_str()));
    CloseExplorer(explorer);
}

}  // namespace
