// Start-up of the real program with a long saved list, timed from outside as a user feels it:
// from the process start until the main window is visible, until it answers a message and
// until its list has painted. Every number of entries runs REPEATS times, interleaved with the
// others so that a slow moment of the machine does not fall on one of them alone; a first run
// that is not counted warms Wine up.
// Usage: probe_startup WORKDIR REPEATS ENTRIES...
// Prints, per number of entries: "startup ENTRIES VISIBLE ANSWERED PAINTED VISIBLE_MIN
// VISIBLE_MAX", medians in milliseconds.
#include "probe_common.h"

#include <cstdlib>
#include <map>

namespace {

struct Times {
    std::vector<double> visible, answered, painted;
};

bool TimeOneStart(const std::string& dir, Times* times) {
    probe::Program program(dir);
    const double start = probe::NowMs();
    if (!program.Start()) return false;
    if (!program.WaitForWindow(probe::kAnswerTimeoutMs)) return false;
    times->visible.push_back(probe::NowMs() - start);
    program.Answer(program.Window(), WM_NULL, 0, 0);
    times->answered.push_back(probe::NowMs() - start);
    times->painted.push_back(probe::WaitPainted(program.Control(probe::kSoundList), start));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: probe_startup WORKDIR REPEATS ENTRIES...\n");
        return 2;
    }
    const std::string work = argv[1];
    const int repeats = std::atoi(argv[2]);
    std::vector<int> entries;
    for (int i = 3; i < argc; ++i) entries.push_back(std::atoi(argv[i]));

    std::map<int, std::string> dirs;
    for (int count : entries) {
        const std::string dir = work + "\\startup-" + std::to_string(count);
        CreateDirectoryA(dir.c_str(), nullptr);
        if (!probe::WriteDataIni(dir, count)) {
            std::fprintf(stderr, "probe_startup: cannot write %s\n", dir.c_str());
            return 1;
        }
        dirs[count] = dir;
    }
    Times warmUp;
    TimeOneStart(dirs[entries.front()], &warmUp);

    std::map<int, Times> times;
    for (int run = 0; run < repeats; ++run) {
        for (int count : entries) {
            if (!TimeOneStart(dirs[count], &times[count])) {
                std::fprintf(stderr, "probe_startup: no window with %d entries\n", count);
                return 1;
            }
        }
    }
    for (int count : entries) {
        const Times& t = times[count];
        probe::PrintRow({"startup", std::to_string(count), probe::Ms(probe::Median(t.visible)),
                         probe::Ms(probe::Median(t.answered)), probe::Ms(probe::Median(t.painted)),
                         probe::Ms(*std::min_element(t.visible.begin(), t.visible.end())),
                         probe::Ms(probe::Max(t.visible))});
    }
    return 0;
}
