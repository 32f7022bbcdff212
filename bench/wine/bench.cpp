#include "bench/wine/bench.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "soundlist/soundlist.h"

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

// With the redraw off and the control looked up once, as the program's load fills it.
void FillList(const Rows& rows) {
    HWND list = SoundListControl();
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow(list, (*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

int Usage(const char* arguments) {
    std::fprintf(stderr, "usage: cbbench %s\n", arguments);
    return 2;
}

int main(int argc, char** argv) {
    const struct { const char* name; int (*run)(int, char**); } tools[] = {
        {"host", RunWatcherHost}, {"press", RunKeyPresser}, {"largelist", RunLargeList},
        {"savedlist", RunSavedList}};
    for (const auto& tool : tools) {
        if (argc > 1 && std::strcmp(argv[1], tool.name) == 0) return tool.run(argc - 2, argv + 2);
    }
    return Usage("host|press|largelist|savedlist ...");
}
