// Load and save of the saved list: the program's own (LoadSoundList, SaveSoundList) against the
// same work through the platform's private-profile functions, on the same files and rows, in the
// program's main window, hidden. Both sides fill and read the list the same way, so what differs is
// the file work. Prints a Markdown table of medians in ms; exits 1 if the two sides' work differed.
// Usage: cbbench savedlist [ENTRIES...]   (default 10 1000 10000), run in a folder of its own
#include "bench/wine/bench.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/app.h"
#include "soundlist/soundlist.h"

namespace {

const char* const kKeys[] = {"key1", "key2", "path"};
const char* const kDefaults[] = {"17", "88", "Beep"};

// The list is looked up once per load or save, as the program's own load and save do.
Rows ListRows() {
    HWND list = SoundListControl();
    Rows rows(static_cast<size_t>(SoundListRowCount()));
    for (size_t row = 0; row < rows.size(); ++row) {
        Entry entry = {};
        ReadEntry(list, static_cast<int>(row), &entry);
        rows[row] = {entry.key1, entry.key2, entry.path};
    }
    return rows;
}

// The count, then each section, which goes on top of the list as the program's load puts it.
void LoadWithPlatform() {
    Rows rows(GetPrivateProfileIntA("LISTNUM", "LIST", 0, SavedListPath()));
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int key = 0; key < 3; ++key) {
            char text[PATH_TEXT_LIMIT] = {};
            GetPrivateProfileStringA(("LIST" + std::to_string(row)).c_str(), kKeys[key], kDefaults[key], text,
                                     key < 2 ? KEY_TEXT_LIMIT : PATH_TEXT_LIMIT, SavedListPath());
            rows[rows.size() - 1 - row][key] = text;
        }
    }
    FillList(rows);
}

// One write per key, as the program's save updates the file.
void SaveWithPlatform() {
    const Rows rows = ListRows();
    WritePrivateProfileStringA("LISTNUM", "LIST", std::to_string(rows.size()).c_str(), SavedListPath());
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int key = 0; key < 3; ++key) {
            WritePrivateProfileStringA(("LIST" + std::to_string(row)).c_str(), kKeys[key], rows[row][key].c_str(),
                                       SavedListPath());
        }
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());  // flushes Wine's cached copy
}

std::string FileText() {
    std::ifstream file(SavedListPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

struct Side {
    void (*load)();
    void (*save)();
    std::vector<double> loads, saves;
    std::string saved;
    Rows loaded;
};

double Time(void (*work)()) {
    const double start = NowMs();
    work();
    return NowMs() - start;
}

// Each save starts from the file a previous run left, with the list in the other order, so that
// the save changes every value; each load starts from an empty list.
bool Measure(int count) {
    Rows rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back({std::to_string(65 + i % 26), i % 3 ? "-1" : "17",
                        "C:\\Users\\user\\Music\\sounds\\effect" + std::to_string(i) + ".wav"});
    }
    FillList(rows);
    SaveSoundList();
    const std::string stored = FileText();
    Side sides[] = {{LoadSoundList, [] { SaveSoundList(); }, {}, {}, {}, {}},
                    {LoadWithPlatform, SaveWithPlatform, {}, {}, {}, {}}};
    for (int i = 0; i < (count <= 10 ? 21 : count <= 1000 ? 5 : 1); ++i) {
        for (Side& side : sides) {
            WritePrivateProfileStringA(nullptr, nullptr, nullptr, SavedListPath());  // no cached copy
            std::ofstream(SavedListPath(), std::ios::binary) << stored;
            FillList(Rows(rows.rbegin(), rows.rend()));
            side.saves.push_back(Time(side.save));
            side.saved = FileText();
            FillList({});
            side.loads.push_back(Time(side.load));
            side.loaded = ListRows();
        }
    }
    std::printf("| %d | load | %.2f | %.2f | %.1fx |\n", count, Percentile(sides[0].loads, 0.5),
                Percentile(sides[1].loads, 0.5), Percentile(sides[1].loads, 0.5) / Percentile(sides[0].loads, 0.5));
    std::printf("| %d | save | %.2f | %.2f | %.1fx |\n", count, Percentile(sides[0].saves, 0.5),
                Percentile(sides[1].saves, 0.5), Percentile(sides[1].saves, 0.5) / Percentile(sides[0].saves, 0.5));
    std::fflush(stdout);
    return sides[0].saved == sides[1].saved && sides[0].loaded == rows && sides[1].loaded == rows;
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
