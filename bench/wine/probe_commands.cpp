// The editing commands on a long list, timed from outside: each command is sent to the real
// program as its button's click delivers it, and timed until the send returns (the command has
// run) and until the list has painted again. The rows are picked with a mouse click on the top
// row, as a user would. While this runs the key watcher reads the whole list pass after pass.
//   edit + add  the top row is taken into the fields and added back: the list keeps its size
//   delete      the top row, REPEATS times
//   clear       the whole list, once a program run
//   close       the close with its save of the whole list, once a program run
//   close-empty the same for a program started with no entries: Wine's own cost of a close
// Usage: probe_commands WORKDIR ROWS REPEATS RUNS
// Prints one line a command: "command NAME COUNT RETURNED_P50 RETURNED_MAX PAINTED_P50
// PAINTED_MAX", in milliseconds; for the closes "painted" is the end of the process.
#include "probe_common.h"

#include <commctrl.h>

#include <cstdlib>
#include <map>

namespace {

struct Times {
    std::vector<double> returned, painted;
};

std::map<std::string, Times> g_times;

void Record(const char* name, double returned, double painted) {
    g_times[name].returned.push_back(returned);
    g_times[name].painted.push_back(painted);
}

// A click a little below the header lands on the top row. Two clicks on one spot in quick
// succession would make a double-click, which plays the row's sound instead. Under Wine a
// click now and then never arrives, so an unanswered one is made again; it is not timed.
bool SelectTopRow(const probe::Program& program) {
    static int click = 0;
    HWND list = program.Control(probe::kSoundList);
    RECT header = {};
    GetWindowRect(FindWindowExA(list, nullptr, "SysHeader32", nullptr), &header);
    for (int attempt = 0; attempt < 3; ++attempt) {
        probe::ClickAt(header.left + 20 + 30 * (click++ % 4), header.bottom + 6);
        const double start = probe::NowMs();
        while (probe::NowMs() - start < 2000) {
            if (program.Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)) == 0) {
                return true;
            }
            Sleep(5);
        }
        std::fprintf(stderr, "probe_commands: a click did not select the top row\n");
    }
    return false;
}

void TimeCommand(const probe::Program& program, const char* name, int id) {
    const double start = probe::NowMs();
    const double returned = program.Command(id);
    Record(name, returned, probe::WaitPainted(program.Control(probe::kSoundList), start));
}

bool StartWithRows(probe::Program* program, int rows) {
    if (!program->Start() || !program->WaitForWindow(probe::kAnswerTimeoutMs)) {
        std::fprintf(stderr, "probe_commands: the program's window did not show\n");
        return false;
    }
    const LRESULT count = program->Ask(program->Control(probe::kSoundList), LVM_GETITEMCOUNT);
    if (count != rows) {
        std::fprintf(stderr, "probe_commands: %d rows loaded, not %d\n", static_cast<int>(count), rows);
        return false;
    }
    probe::WaitPainted(program->Control(probe::kSoundList), probe::NowMs());
    Sleep(500);  // the watcher under way, and the first paint on the screen
    return true;
}

// The entry goes out of the list into the fields and comes back as the new top row.
bool EditAndAdd(const std::string& dir, int rows, int repeats) {
    probe::Program program(dir);
    if (!StartWithRows(&program, rows)) return false;
    for (int i = 0; i < repeats; ++i) {
        if (!SelectTopRow(program)) return false;
        TimeCommand(program, "edit", probe::kEditButton);
        TimeCommand(program, "add", probe::kAddButton);
    }
    const double start = probe::NowMs();
    const double returned = program.Answer(program.Window(), WM_CLOSE, 0, 0);
    Record("close", returned, program.Exited(60000) ? probe::NowMs() - start : -1);
    return true;
}

// The same close with nothing to save: what Wine itself takes to close the window.
bool CloseEmpty(const std::string& dir) {
    probe::Program program(dir);
    if (!probe::WriteDataIni(dir, 0) || !StartWithRows(&program, 0)) return false;
    const double start = probe::NowMs();
    const double returned = program.Answer(program.Window(), WM_CLOSE, 0, 0);
    Record("close-empty", returned, program.Exited(60000) ? probe::NowMs() - start : -1);
    return true;
}

bool DeleteAndClear(const std::string& dir, int rows, int repeats) {
    probe::Program program(dir);
    if (!StartWithRows(&program, rows)) return false;
    for (int i = 0; i < repeats; ++i) {
        if (!SelectTopRow(program)) return false;
        TimeCommand(program, "delete", probe::kDeleteButton);
    }
    const double start = probe::NowMs();
    const double returned = program.Answer(program.Window(), WM_COMMAND, probe::kClearListCommand, 0);
    Record("clear", returned, probe::WaitPainted(program.Control(probe::kSoundList), start));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: probe_commands WORKDIR ROWS REPEATS RUNS\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "\\commands-" + argv[2];
    const int rows = std::atoi(argv[2]);
    const int repeats = std::atoi(argv[3]);
    const int runs = std::atoi(argv[4]);
    const std::string emptyDir = std::string(argv[1]) + "\\commands-empty";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA(emptyDir.c_str(), nullptr);
    for (int run = 0; run < runs; ++run) {
        // The close saves the list, reversed; the next run loads the same rows.
        if (!probe::WriteDataIni(dir, rows) || !EditAndAdd(dir, rows, repeats) ||
            !probe::WriteDataIni(dir, rows) || !DeleteAndClear(dir, rows, repeats) || !CloseEmpty(emptyDir)) {
            std::fprintf(stderr, "probe_commands: run %d failed\n", run + 1);
            return 1;
        }
    }
    for (const char* name : {"add", "edit", "delete", "clear", "close", "close-empty"}) {
        const Times& t = g_times[name];
        probe::PrintRow({"command", name, std::to_string(t.returned.size()), probe::Ms(probe::Median(t.returned)),
                         probe::Ms(probe::Max(t.returned)), probe::Ms(probe::Median(t.painted)),
                         probe::Ms(probe::Max(t.painted))});
    }
    return 0;
}
