// The INI text module; under Wine the same files also go through the platform's functions.
#include "support/inifile.h"

#include <gtest/gtest.h>

#ifdef CB_UNDER_WINE
#include <windows.h>

#include <fstream>
#include <set>
#endif

namespace {

using namespace std::string_literals;

const char* const kDefault = "<default>";
struct Entry { std::string section, key, value; size_t limit = 256; };  // read to a limit, or written
struct CorpusFile { std::string text; std::vector<Entry> reads; };

const std::string kNumbers = "[n]\r\na=\"12\"\r\nb=  42  \r\nc=-3\r\nd=12abc\r\ne=0x1F\r\nf=0o17\r\ng=0b101\r\n"
                             "h=0X1F\r\ni=2147483648\r\nj=99999999999\r\nk=\r\nl=000000000000000000000000000001\r\n";

// Code page 932 below: "ソ" is 83 5C, "ア" 83 41, "ャ" 83 61, "Ａ" 82 60, "ａ" 82 81, "‐" 81 5D.
std::vector<CorpusFile> Corpus() {
    // Values as the module writes them read back as they were, up to a line break.
    const std::string values[] = {"", " lead", "trail ", "\"quoted\"", "'single'", "\"open", "a=b", "[x]", ";x",
                                  "\x83\x5C\x83\x41", "x\ty\x1a", "a\r\n[w]\r\nafter=evil", "c\nafter=evil"};
    IniText written("[w]\r\nk0=old\r\n");
    std::vector<Entry> writtenReads = {{"w", "after", kDefault}};
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string key = "k" + std::to_string(i);
        written.SetString("w", key, values[i]);
        writtenReads.push_back({"w", key, values[i].substr(0, values[i].find_first_of("\r\n"))});
    }
    const std::string x255(255, 'x');
    return {
        {"[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n[LIST1]\r\nkey1=112\r\n",
         {{"LISTNUM", "LIST", "2"}, {"LIST0", "key1", "", 1}, {"LIST2", "key1", "<de", 4}}},
        {"[LISTNUM]\nLIST=1\n[s]\rk=1\rj=2", {{"LISTNUM", "LIST", "1"}, {"s", "j", "2"}}},
        {"  [LISTNUM]  \r\n  LIST = 2 \r\n[ LIST0\t] note\r\n key1 \t=  17  \r\n\tkey2=  \r\n[LIST0]\r\nkey3=1\r\n",
         {{" LIST0 ", " key1 ", "17"}, {"LIST0", "key2", ""}, {"LIST0", "key3", kDefault}}},
        // The inside of q fits the limit of 256 whole.
        {"[s]\r\nk=\"a b\"\r\nj='c d'\r\nl=\"open\r\nm=\"\r\np=\" in \"\r\nq=\"" + x255 + "\"\r\n",
         {{"s", "k", "a b"}, {"s", "j", "c d"}, {"s", "l", "\"open"}, {"s", "m", "\""}, {"s", "p", " in "}, {"s", "q", x255}}},
        // Comments, junk lines and unclosed headers are keys; the first of two names wins.
        {"k=0\r\n; top\r\n[s]\r\n;k=1\r\nk=2\r\n# j=3\r\nj=a=b\r\n[v\r\nk=9\r\n]\r\n=x\r\njunk\r\n[t]x]y\r\nk=2\r\n"
         "[u]\r\nk\r\n[S]\r\nm=4\r\n[LiSt0]\r\nKeY1=5\r\n",
         {{"s", "k", "2"}, {"s", "j", "a=b"}, {"v", "k", kDefault}, {"t]x", "k", "2"},
          {"u", "k", kDefault}, {"s", "m", kDefault}, {"list0", "key1", "5"}}},
        {"[s]\r\nk=1\0 2\r\nj\0x=3\r\n[t\0u]\r\nk=4\r\nm=1\x1a\x1a\r\n"s,
         {{"s", "k", "1"}, {"s", "j", "3"}, {"t", "k", "4"}, {"t", "m", "1"}}},
        // A lead byte takes the byte after it: "]", a line end or "=" after one counts for nothing.
        {"[s]\r\nk=\x83\x5C\x83\x41\r\nj=\x82\xA0\x82\xA0\r\ni=a\x82\xA0\r\n[\x83\x61]\r\nk=2\r\n[\x82\x60]\r\n"
         "k=1\r\n[t\x81\x5D]\r\n[x\x81]\r\nk=\x81\x5D\r\n[u]\r\nk=1\x81\r\nj=2\r\nm=\x81\nn=3\r\ne\x81=1\r\n",
         {{"s", "k", "\x83\x5C\x83\x41"}, {"s", "j", "\x82\xA0", 4}, {"s", "i", "a", 3}, {"\x83\x61", "k", "2"},
          {"\x82\x81", "k", kDefault}, {"t\x81\x5D", "k", "\x81\x5D"}, {"u", "k", "1\x81\r"},
          {"u", "m", "\x81\nn=3"}, {"u", "n", kDefault}, {"u", "e", kDefault}}},
        {kNumbers, {}}, {written.Text(), writtenReads},
    };
}

TEST(IniRead, HandEditedFilesReadByThePlatformsRules) {
    for (const CorpusFile& file : Corpus()) {
        const IniText ini(file.text);
        for (const Entry& r : file.reads) EXPECT_EQ(ini.GetString(r.section, r.key, kDefault, r.limit), r.value) << r.key;
    }
}

TEST(IniWrite, ChangesOnlyWhatItMustAndEndsEveryLineWithCrLf) {
    const struct { std::string before; std::vector<Entry> updates; std::string after; } cases[] = {
        // Spellings and unchanged lines stay, quotes go; new keys end their section, new sections the text.
        {"; by hand\r\n[other]\r\nx = 1 ; note\r\njunk\r\n\r\n[LIST0]\r\n  KEY1 = 5\r\npath=\"C:\\a b.wav\"\r\n\r\n",
         {{"list0", "key1", "17"}, {"other", "x", "1 ; note"}, {"LIST0", "path", "C:\\a b.wav"}, {"other", "y", "2"},
          {"LIST0", "key2", "88"}, {"LISTNUM", "LIST", "2"}},
         "; by hand\r\n[other]\r\nx = 1 ; note\r\njunk\r\ny=2\r\n\r\n[LIST0]\r\n  KEY1 = 17\r\npath=C:\\a b.wav\r\nkey2=88\r\n"
         "\r\n[LISTNUM]\r\nLIST=2\r\n"},
        {"[t]\r[s]\n\nk=1", {{"s", "k", "2"}}, "[t]\r\n[s]\r\n\r\nk=2\r\n"},
        {"[s]\r\nk\r\nj\x81", {{"s", "k", "2"}}, "[s]\r\nk=2\r\nj\r\n"},  // a lone lead byte at the end goes
    };
    for (const auto& c : cases) {
        IniText ini(c.before);
        for (const Entry& update : c.updates) ini.SetString(update.section, update.key, update.value);
        EXPECT_EQ(ini.Text(), c.after) << c.before;
        EXPECT_EQ(IniText(ini.Text()).Text(), c.after) << c.before << ": a second pass changes nothing";
    }
}

#ifdef CB_UNDER_WINE

// A file of its own for each text: the platform keeps the files it read in a cache.
std::string Write(const std::string& text) {
    static int count = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string file = folder + "cb_ini_"s + std::to_string(++count) + ".ini";
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

// What the platform reads: a value, or the names it lists where section or key is null.
std::vector<std::string> Platform(const std::string& file, const char* section, const char* key, DWORD limit = 1 << 20) {
    std::vector<char> buffer(limit + 1, '\0');
    GetPrivateProfileStringA(section, key, kDefault, buffer.data(), limit, file.c_str());
    std::vector<std::string> items{buffer.data()};
    for (const char* item = buffer.data(); *item && *(item += items.back().size() + 1);) items.emplace_back(item);
    return items;
}

// The names the corpus asks for, and every section and key that the platform lists in files.
std::set<std::pair<std::string, std::string>> Names(const CorpusFile& corpus, std::vector<std::string> files) {
    std::set<std::pair<std::string, std::string>> names;
    for (const Entry& read : corpus.reads) names.emplace(read.section, read.key);
    for (const std::string& file : files) {
        for (const std::string& section : Platform(file, nullptr, nullptr)) {
            for (const std::string& key : Platform(file, section.c_str(), nullptr)) names.emplace(section, key);
        }
    }
    return names;
}

// Each file reads the same through both, and so do the two files after the same updates by both.
TEST(PlatformFiles, EveryFileReadsAndUpdatesAsThePlatformDoes) {
    const Entry updates[] = {{"LISTNUM", "LIST", "3"}, {"LIST0", "key1", "17"}, {"LIST0", "path", "C:\\a.wav"},
                             {"LIST1", "path", "\x83\x5C\x83\x41.wav"}, {"list2", "KEY1", ""}, {"s", "k", "new"}};
    for (const CorpusFile& corpus : Corpus()) {
        const std::string platformFile = Write(corpus.text);
        IniText ini(corpus.text);
        for (const auto& [section, key] : Names(corpus, {platformFile})) {
            for (DWORD limit : {1024u, 256u, 30u, 3u, 1u}) {
                // Wine, and on purpose not the module, cuts a quoted value of limit - 1 one character
                // short, and turns a lead byte 81 before a line end, no character, into 81 45.
                std::string ours = ini.GetString(section, key, kDefault, limit);
                const bool whole = ours.size() == limit - 1 && ours == ini.GetString(section, key, kDefault, 1 << 20);
                for (size_t i = 1; i < ours.size(); ++i) {
                    if (ours[i - 1] == '\x81' && (ours[i] == '\r' || ours[i] == '\n')) ours[i] = '\x45';
                }
                const std::string platform = Platform(platformFile, section.c_str(), key.c_str(), limit)[0];
                EXPECT_TRUE(platform == ours || (whole && !ours.empty() && platform == ours.substr(0, limit - 2)))
                    << section << "/" << key << " " << limit;
            }
            EXPECT_EQ(static_cast<int32_t>(GetPrivateProfileIntA(section.c_str(), key.c_str(), -7, platformFile.c_str())),
                      ini.GetInt(section, key, -7)) << section << "/" << key;
        }
        for (const Entry& update : updates) {
            WritePrivateProfileStringA(update.section.c_str(), update.key.c_str(), update.value.c_str(), platformFile.c_str());
            ini.SetString(update.section, update.key, update.value);
        }
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, platformFile.c_str());
        const std::string oursFile = Write(ini.Text());
        for (const auto& [section, key] : Names(corpus, {platformFile, oursFile})) {
            EXPECT_EQ(Platform(platformFile, section.c_str(), key.c_str())[0], Platform(oursFile, section.c_str(), key.c_str())[0])
                << section << "/" << key;
        }
    }
}

#endif  // CB_UNDER_WINE

}  // namespace
