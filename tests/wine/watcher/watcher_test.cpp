// The key watcher on the real main window: keys pressed through SendInput, entries in the real
// list, and what it played read back from the capture of the sound output.
#include "tests/wine/soundlist/listcheck.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/common/sound.h"
#include "watcher/watcher.h"

namespace {

class KeyWatcher : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the capture file";
        FreshMainWindow();
        dir_ = MakeTempDir("watcher");
    }

    void TearDown() override {
        for (BYTE vk : {'A', 'B', 'C'}) KeyUp(vk);
        ResetMainWindow();
        PumpUntilCaptureQuiet(200);
    }

    // A sound of its own for every entry of every test.
    std::string NewSound(int* id, int milliseconds = 40) {
        *id = NextSoundId();
        return WriteTestSound(dir_, *id, milliseconds);
    }

    std::string dir_;
};

// Rows are tested from the top, so a probe entry on a held key at the bottom of the list has
// played twice only after at least one whole pass saw that key down: what did not play by then
// was not going to.
struct KindCase {
    const char* name;
    const char* key1;
    const char* key2;
    std::vector<BYTE> held;
    bool plays;
};

const KindCase kKindCases[] = {
    {"SingleKey", "65", "-1", {'A'}, true},
    {"Key2ZeroIsSingle", "65", "0", {'A'}, true},
    {"Key2TextIsSingle", "65", "abc", {'A'}, true},
    {"TwoKeysBothDown", "65", "66", {'A', 'B'}, true},
    {"TwoKeysFirstOnly", "65", "66", {'A'}, false},
    {"TwoKeysSecondOnly", "65", "66", {'B'}, false},
    {"Key2HalfIsTwoKeyWithCodeZero", "65", "0.5", {'A'}, false},
    {"Key1FractionTruncates", "65.9", "-1", {'A'}, true},
    {"Key1Hexadecimal", "&H41", "-1", {'A'}, true},
};

TEST_F(KeyWatcher, EntryKindsPlayExactlyWhenTheirKeysAreDown) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.name);
        FreshMainWindow();
        int entry = 0, probe = 0;
        const std::string entrySound = NewSound(&entry);
        FillList({{c.key1, c.key2, entrySound}, {std::to_string(c.held[0]), "-1", NewSound(&probe)}});
        Capture capture;
        for (BYTE vk : c.held) KeyDown(vk);
        ASSERT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 2; }));
        EXPECT_EQ(capture.Count(entry) > 0, c.plays) << capture.Count(entry) << " plays";
        for (BYTE vk : c.held) KeyUp(vk);
    }
}

// Starts of the given sounds only, in order, with a leading partial pass dropped.
std::vector<int> FromFirst(const std::vector<int>& starts, int first, const std::vector<int>& ids) {
    std::vector<int> kept;
    for (int id : starts) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) continue;
        if (kept.empty() && id != first) continue;
        kept.push_back(id);
    }
    return kept;
}

TEST_F(KeyWatcher, EntriesOnOneKeyPlayInRowOrderFromTheTop) {
    int single = 0, twoKey = 0, other = 0;
    FillList({{"65", "-1", NewSound(&single)}, {"65", "66", NewSound(&twoKey)},
              {"65", "-1", NewSound(&other)}});
    const std::vector<int> all = {single, twoKey, other};
    Capture capture;
    KeyDown('A');
    KeyDown('B');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(other) >= 3; }));
    const std::vector<int> order = FromFirst(capture.Starts(), single, all);
    ASSERT_GE(order.size(), 6u);
    for (size_t i = 0; i + 2 < order.size(); i += 3) {
        EXPECT_EQ(std::vector<int>(order.begin() + i, order.begin() + i + 3), all);
    }

    // With B up again only the single-key entries remain.
    KeyUp('B');
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(other) >= 3; }));
    const std::vector<int> later = FromFirst(capture.Starts(), other, all);
    EXPECT_EQ(std::count(later.begin(), later.end(), twoKey), 0);
    EXPECT_GE(std::count(later.begin(), later.end(), single), 2);
}

TEST_F(KeyWatcher, DeletedEntryStopsFromTheNextPassAndTheHeldKeyRepeatsBackToBack) {
    int deleted = 0, repeated = 0;
    FillList({{"67", "-1", NewSound(&deleted)}, {"67", "-1", NewSound(&repeated, 60)}});
    Capture capture;
    KeyDown('C');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(deleted) >= 1 && capture.Count(repeated) >= 1; }));
    SendMessageA(List(), LVM_DELETEITEM, 0, 0);
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(repeated) >= 4; }));
    // The pass under way may still reach the deleted row's place; from the next one on, only
    // the remaining entry plays, and every play is whole: a synchronous play is never cut.
    const std::vector<int> starts = capture.Starts();
    const auto firstRepeat = std::find(starts.begin(), starts.end(), repeated);
    EXPECT_EQ(std::count(firstRepeat, starts.end(), deleted), 0);
    for (int id : starts) EXPECT_TRUE(id == repeated || id == deleted) << id;
    EXPECT_GE(capture.Samples(repeated), 3 * SoundSamples(60));

    // Released, it falls silent: the capture stops growing.
    KeyUp('C');
    EXPECT_TRUE(PumpUntilCaptureQuiet(300));
}

}  // namespace
