// Load and save of the saved list: the program's own (LoadSoundList, SaveSoundList) against the
// same work done through the platform's private-profile functions, on the same files and rows.
// Both sides fill and read the program's own main window's list (hidden, its redraw off while
// filled) the same way, so what differs is the file work.
// Usage: cbbench savedlist [ENTRIES...]   (default 10 1000 10000), in a folder of its own
// Prints a Markdown table of medians in milliseconds; exits 1 if the two sides differ.
#include "bench/wine/bench.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/app.h"
#include "soundlist/soundlist.h"

namespace {

using Rows = std::vector<std::array<std::string, 3>>;  // top row first

Rows ListRows() {
    Rows rows(static_cast<size_t>(SoundListRowCount()));
    for (size_t row = 0; row < rows.size(); ++row) {
        Entry entry = {};
        ReadEntry(static_cast<int>(row), &entry);
        rows[row] = {entry.key1, entry.key2, entry.path};
    }
    return rows;
}

void FillList(const Rows& rows) {
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(SoundListControl(), WM_SETREDRAW, FALSE, 0);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow((*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
    SendMessageA(SoundListControl(), WM_SETREDRAW, TRUE, 0);
}

// The program's load, through the platform: the count, then each section, inserted at the top.
void LoadWithPlatform() {
    const int count = static_cast<int>(GetPrivateProfileIntA("LISTNUM", "LIST", 0, SavedListPath()));
    SendMessageA(SoundListControl(), WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < count; ++row) {
        const std::string section = "LIST" + std::to_string(row);
        Entry entry = {};
        GetPrivateProfileStringA(section.c_str(), "key1", "17", entry.key1, KEY_TEXT_LIMIT, SavedListPath());
        GetPrivateProfileStringA(section.c_str(), "key2", "88", entry.key2, KEY_TEXT_LIMIT, SavedListPath());
        GetPrivateProfileStringA(section.c_str(), "path", "Beep", entry.path, PATH_TEXT_LIMIT, SavedListPath());
        InsertEntryRow(entry.key1, entry.key2, entry.path);
    }
    SendMessageA(SoundListControl(), WM_SETREDRAW, TRUE, 0);
}

// The program's save, through the platform: one write per key.
void SaveWithPlatform() {
    const Rows rows = ListRows();
    WritePrivateProfileStringA("LISTNUM", "LIST", std::to_string(rows.size()).c_str(), SavedListPath());
    for (size_t row = 0; row < rows.size(); ++row) {
        const std::string section = "LIST" + std::to_string(row);
        for (int key = 0; key < 3; ++key) {
            const char* names[] = {"key1", "key2", "path"};
            WritePrivateProfileStringA(section.c_str(), names[key], rows[row][key].c_str(), SavedListPath());
        }
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());  // flushes Wine's cached copy
}

std::string FileText() {
    std::ifstream file(SavedListPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void WriteFileText(const std::string& text) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());  // no cached copy
    std::ofstream(SavedListPath(), std::ios::binary) << text;
}

double Time(void (*work)()) {
    const double start = NowMs();
    work();
    return NowMs() - start;
}

struct Side {
    void (*load)();
    void (*save)();
    std::vector<double> loads, saves;
    std::string saved;
    Rows loaded;
};

// The file holds the rows in stored order; the list shows them the other way round, so that the
// save changes every value.
bool Measure(int count) {
    Rows rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({std::to_string(65 + i % 26), i % 3 ? "-1" : "17",
                        "C:\\Users\\user\\Music\\sounds\\effect" + std::to_string(i) + ".wav"});
    }
    FillList(rows);
    SaveSoundList();
    const std::string stored = FileText();
    const Rows reversed(rows.rbegin(), rows.rend());
    Side sides[] = {{LoadSoundList, [] { SaveSoundList(); }, {}, {}, {}, {}},
                    {LoadWithPlatform, SaveWithPlatform, {}, {}, {}, {}}};
    for (int i = 0; i < (count <= 10 ? 21 : count <= 1000 ? 5 : 1); ++i) {
        for (Side& side : sides) {
            WriteFileText(stored);
            FillList(reversed);
            side.saves.push_back(Time(side.save));
            side.saved = FileText();
            FillList({});
            side.loads.push_back(Time(side.load));
            side.loaded = ListRows();
        }
    }
    for (const char* work : {"load", "save"}) {
        const double ours = Percentile(work[0] == 'l' ? sides[0].loads : sides[0].saves, 0.5);
        const double platform = Percentile(work[0] == 'l' ? sides[1].loads : sides[1].saves, 0.5);
        std::printf("| %d | %s | %.2f | %.2f | %.1fx |\n", count, work, ours, platform, platform / ours);
    }
    std::fflush(stdout);
    return sides[0].saved == sides[1].saved && sides[0].loaded == sides[1].loaded && sides[0].loaded == rows;
}

}  // namespace

int RunSavedList(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 0; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {10, 1000, 10000};
    CreateSharedResources();
    ShowWindow(CreateMainWindow(), SW_HIDE);
    std::printf("| entries | work | this program (ms) | private-profile functions (ms) | ratio |\n");
    std::printf("| ---: | --- | ---: | ---: | ---: |\n");
    bool same = true;
    for (int count : counts) {
        if (!Measure(count)) {
            std::printf("%d entries: the two sides did not do the same work\n", count);
            same = false;
        }
    }
    return same ? 0 : 1;
}
