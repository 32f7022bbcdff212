// The INI text module on hand-edited files and on the updates a save makes.
#include "support/inifile.h"

#include <gtest/gtest.h>

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
        {written.Text(), writtenReads},
    };
}

TEST(IniRead, HandEditedFilesReadByThePlatformsRules) {
    for (const CorpusFile& file : Corpus()) {
        const IniText ini(file.text);
        for (const Entry& r : file.reads) EXPECT_EQ(ini.GetString(r.section, r.key, kDefault, r.limit), r.value) << r.key;
    }
    std::string numbers;  // as a C runtime reads them, wrapping around 32 bits, from the first 29 characters
    for (char key = 'a'; key <= 'l'; ++key) numbers += std::to_string(IniText(kNumbers).GetInt("n", {&key, 1}, -7)) + " ";
    EXPECT_EQ(numbers, "12 42 -3 12 31 15 5 0 -2147483648 1215752191 -7 0 ");
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

// Notepad's UTF-8 has no mark: only strict UTF-8 with Japanese is taken for it, not code page 932 (the
// third, and "ﾈｺ", a two-byte form), an overlong form, a surrogate, a code beyond U+10FFFF, a cut one.
TEST(IniEncoding, UnmarkedTextIsUtf8OnlyWhereItIsStrictUtf8) {
    std::string found;
    size_t mark = 9;
    for (const char* text : {"k=1", "\xE9\x9F\xB3\\\xE3\x83\x89", "\x89\xB9\\\x83\x68", "\xC8\xBA", "\xC0\xAF", "\xED\xA0\x80",
                             "\xF4\x90\x80\x80", "a\xE3\x83"})
        found += DetectIniTextEncoding(text, &mark) == IniTextEncoding::Utf8 ? "U" : "-";
    EXPECT_EQ(found + std::to_string(mark), "-U------0");
}

}  // namespace
