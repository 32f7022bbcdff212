// The open-file dialog, the preview of a row's sound and the shell request, driven as a user
// drives them: through the real dialog, real double-clicks and the played sound.
#include "tests/wine/soundlist/listcheck.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <thread>

#include "tests/wine/common/sound.h"

namespace {

const char kDialogTitle[] = "ウェイヴ ファイルを開く";

class BrowseAndPreview : public ::testing::Test {
protected:
    void SetUp() override {
        FreshMainWindow();
        GetCurrentDirectoryA(sizeof directory_, directory_);
    }
    void TearDown() override {
        SetCurrentDirectoryA(directory_);  // the dialog may move it
        PlaySoundA(nullptr, nullptr, 0);
    }

    char directory_[MAX_PATH] = {};
};

TEST_F(BrowseAndPreview, BrowseOutsideRegistrationModeFillsTheDisabledPathField) {
    const std::string wav = WriteTestSound(MakeTempDir("browse"), NextSoundId());
    std::string fileType;
    std::thread driver([&] {
        HWND dialog = nullptr;
        if (!PumpUntil([&] { return (dialog = FindWindowA("#32770", kDialogTitle)) != nullptr; }, 10000)) {
            return;
        }
        char type[256] = {};
        GetDlgItemTextA(dialog, 0x470, type, sizeof type);  // cmb1, the file types
        fileType = type;
        HWND name = GetDlgItem(dialog, 0x480);            // edt1
        if (!name) name = GetDlgItem(dialog, 0x47C);      // cmb13, where the dialog has one
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wav.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Click(IDC_BROWSE_BUTTON);
    driver.join();
    EXPECT_EQ(fileType, "wav ファイル(*.wav)");
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

// A point on the row's label, or with row -1 a point of the list below every row.
POINT ListPoint(int row) {
    RECT rect = {};
    POINT point = {};
    if (row >= 0) {
        rect.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        point = {rect.left + 10, (rect.top + rect.bottom) / 2};
    } else {
        GetClientRect(List(), &rect);
        point = {rect.right / 2, rect.bottom - 10};
    }
    ClientToScreen(List(), &point);
    return point;
}

TEST_F(BrowseAndPreview, DoubleClickPlaysAsynchronouslyAndTheNextStopsIt) {
    ASSERT_TRUE(Capture::Available());
    const std::string dir = MakeTempDir("preview");
    const int longId = NextSoundId(), shortId = NextSoundId(), thirdId = NextSoundId();
    FillList({{"0", "-1", WriteTestSound(dir, longId, 2000)},
              {"0", "-1", WriteTestSound(dir, shortId, 200)},
              {"0", "-1", WriteTestSound(dir, thirdId, 2000)}});
    Capture capture;

    DoubleClickAt(ListPoint(0));
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(longId) == 1; }));
    // Had the play waited for its end, the whole sound would be there already.
    EXPECT_LT(capture.Samples(longId), SoundSamples(2000));

    DoubleClickAt(ListPoint(1));
    ASSERT_TRUE(PumpUntil([&] { return capture.Samples(shortId) >= SoundSamples(200); }))
        << capture.Samples(shortId) << " samples; " << capture.Starts().size() << " starts";
    const size_t longPlayed = capture.Samples(longId);
    EXPECT_LT(longPlayed, SoundSamples(2000));
    EXPECT_EQ(capture.Starts(), (std::vector<int>{longId, shortId}));

    // Without a selection the play request carries no file, yet it still stops the sound.
    DoubleClickAt(ListPoint(2));
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(thirdId) == 1; }));
    DoubleClickAt(ListPoint(-1));
    ASSERT_TRUE(PumpUntil([] { return SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0) == 0; }));
    ASSERT_TRUE(PumpUntilCaptureQuiet(300));
    EXPECT_LT(capture.Samples(thirdId), SoundSamples(2000));
    EXPECT_EQ(capture.Samples(longId), longPlayed);
}

// The shell shows an explored folder in a window titled with the folder's name; closes it.
bool ExplorerOpenedAndClosed(const std::string& folder) {
    const std::string title = folder.substr(folder.find_last_of('\\') + 1);
    HWND explorer = nullptr;
    const auto shown = [&] { return (explorer = FindWindowA("ExplorerWClass", title.c_str())); };
    if (!PumpUntil([&] { return shown() != nullptr; }, 15000)) return false;
    PostMessageA(explorer, WM_CLOSE, 0, 0);
    return PumpUntil([&] { return !IsWindow(explorer); });
}

TEST_F(BrowseAndPreview, ExploreHandsTheTopmostSelectedPathToTheShell) {
    const std::vector<Row> rows = {{"0", "-1", MakeTempDir("explore")},
                                   {"0", "-1", MakeTempDir("explore")},
                                   {"0", "-1", MakeTempDir("explore")}};
    FillList(rows);
    DoubleClickAt(ListPoint(2), true);
    EXPECT_TRUE(ExplorerOpenedAndClosed(rows[2].path));

    SelectRows({2, 1});
    ExploreEntry();
    EXPECT_TRUE(ExplorerOpenedAndClosed(rows[1].path));
}

}  // namespace
