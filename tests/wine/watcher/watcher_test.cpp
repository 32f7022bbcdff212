// The key watcher on the real main window: keys pressed through SendInput, entries in the real
// list, and what it played read back from the capture of the sound output.
#include "tests/wine/soundlist/listcheck.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/common/sound.h"
#include "watcher/watcher.h"

namespace {

constexpr int kShortSound = 40;  // milliseconds

class KeyWatcher : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the capture file";
        ResetMainWindow();
        SetForegroundWindow(AppWindow());
        PumpMessages();
        dir_ = MakeTempDir("watcher");
    }

    void TearDown() override {
        for (BYTE vk : held_) KeyUp(vk);
        ResetMainWindow();
        PumpUntilCaptureQuiet(200);
    }

    // A sound of its own for every entry of every test.
    std::string NewSound(int* id, int milliseconds = kShortSound) {
        *id = NextSoundId();
        return WriteTestSound(dir_, *id, milliseconds);
    }

    void Hold(BYTE vk) {
        KeyDown(vk);
        held_.push_back(vk);
    }

    void Release(BYTE vk) {
        KeyUp(vk);
        held_.erase(std::remove(held_.begin(), held_.end(), vk), held_.end());
    }

    std::string dir_;
    std::vector<BYTE> held_;
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
    {"Key2NegativeFractionIsSingle", "65", "-0.5", {'A'}, true},
    {"TwoKeysBothDown", "65", "66", {'A', 'B'}, true},
    {"TwoKeysFirstOnly", "65", "66", {'A'}, false},
    {"TwoKeysSecondOnly", "65", "66", {'B'}, false},
    {"Key2HalfIsTwoKeyWithCodeZero", "65", "0.5", {'A'}, false},
    {"Key1FractionTruncates", "65.9", "-1", {'A'}, true},
    {"Key1Hexadecimal", "&H41", "-1", {'A'}, true},
    {"Key1Octal", "&O101", "-1", {'A'}, true},
    {"Key2HexadecimalTwoKey", "65", "&h42", {'A', 'B'}, true},
    {"Key1TextNeverPlays", "abc", "-1", {'A'}, false},
};

class EntryKinds : public KeyWatcher, public ::testing::WithParamInterface<KindCase> {};

TEST_P(EntryKinds, PlayExactlyWhenTheirKeysAreDown) {
    const KindCase& c = GetParam();
    int entry = 0;
    int probe = 0;
    const std::string entrySound = NewSound(&entry);
    FillList({{c.key1, c.key2, entrySound},
              {std::to_string(c.held[0]), "-1", NewSound(&probe)}});
    Capture capture;
    for (BYTE vk : c.held) Hold(vk);
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 2; }));
    if (c.plays) {
        EXPECT_GE(capture.Count(entry), 1);
    } else {
        EXPECT_EQ(capture.Count(entry), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntryKinds, ::testing::ValuesIn(kKindCases),
                         [](const ::testing::TestParamInfo<KindCase>& info) {
                             return std::string(info.param.name);
                         });

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
    const std::string singleSound = NewSound(&single);
    const std::string twoKeySound = NewSound(&twoKey);
    const std::string otherSound = NewSound(&other);
    // Each insertion goes to the top, so the last one made is row 0.
    InsertEntryRow(List(), "65", "-1", otherSound.c_str());
    InsertEntryRow(List(), "65", "66", twoKeySound.c_str());
    InsertEntryRow(List(), "65", "-1", singleSound.c_str());
    Capture capture;
    Hold('A');
    Hold('B');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(other) >= 3; }));
    const std::vector<int> order = FromFirst(capture.Starts(), single, {single, twoKey, other});
    ASSERT_GE(order.size(), 6u);
    for (size_t i = 0; i + 2 < order.size(); i += 3) {
        EXPECT_EQ(std::vector<int>(order.begin() + i, order.begin() + i + 3),
                  (std::vector<int>{single, twoKey, other}));
    }

    // With B up again only the single-key entries remain.
    Release('B');
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(other) >= 3; }));
    const std::vector<int> later = FromFirst(capture.Starts(), other, {single, twoKey, other});
    EXPECT_EQ(std::count(later.begin(), later.end(), twoKey), 0);
    EXPECT_GE(std::count(later.begin(), later.end(), single), 2);
}

TEST_F(KeyWatcher, HeldKeyRepeatsItsSoundBackToBack) {
    int sound = 0;
    FillList({{"67", "-1", NewSound(&sound, 60)}});
    Capture capture;
    Hold('C');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(sound) >= 4; }));
    for (int id : capture.Starts()) EXPECT_EQ(id, sound);
    // Every play is whole: a synchronous play is never cut by the next one.
    EXPECT_GE(capture.Samples(sound), 3 * SoundSamples(60));

    // Released, it falls silent: the capture stops growing.
    Release('C');
    EXPECT_TRUE(PumpUntilCaptureQuiet(300));
}

TEST_F(KeyWatcher, DeletedEntryStopsFromTheNextPass) {
    int deleted = 0, probe = 0;
    FillList({{"68", "-1", NewSound(&deleted)}, {"68", "-1", NewSound(&probe)}});
    Capture capture;
    Hold('D');
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(deleted) >= 1 && capture.Count(probe) >= 1; }));
    SendMessageA(List(), LVM_DELETEITEM, 0, 0);
    capture.Mark();
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(probe) >= 3; }));
    // The pass under way may still reach the deleted row's place; from the next one on, only
    // the probe plays.
    const std::vector<int> starts = capture.Starts();
    const auto firstProbe = std::find(starts.begin(), starts.end(), probe);
    EXPECT_EQ(std::count(firstProbe, starts.end(), deleted), 0);
}

}  // namespace
