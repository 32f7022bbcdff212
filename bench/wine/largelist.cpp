// Large lists under Wine, timed from outside as a user feels them, for each chordbell.exe given,
// in turn so that a slow moment of the machine does not fall on one build alone: start-up, answers
// and toggle clicks while the watcher reads, and the editing commands on 1,000 rows. Each program
// runs in a folder of its own whose entries are all on key 7, which no keyboard sends.
// Usage: cbbench largelist WORKDIR STARTS ANSWERS CLICKS COMMANDS RUNS CHORDBELL_EXE...
#include "bench/wine/bench.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "app/app.h"

namespace {

constexpr double kTimeoutMs = 120000;  // longer than anything measured takes

std::string g_work;
std::vector<std::string> g_exes;
std::vector<std::map<std::string, std::vector<double>>> g_samples;  // a build each, by figure
size_t g_build = 0;                                                 // the build being measured

void Add(const std::string& figure, double ms) { g_samples[g_build][figure].push_back(ms); }
std::string StartUp(const std::string& entries, const char* until) {
    return "start-up, " + entries + " entries: " + until;
}

// A folder of the work folder whose data.ini holds `rows` entries.
std::string Folder(const std::string& name, int rows) {
    const std::string dir = g_work + "\\" + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    std::ofstream file(dir + "\\data.ini", std::ios::binary);
    file << "[LISTNUM]\r\nLIST=" << rows << "\r\n";
    for (int i = 0; i < rows; ++i) {
        file << "[LIST" << i << "]\r\nkey1=7\r\nkey2=-1\r\npath=C:\\none\\" << i << ".wav\r\n";
    }
    return dir;
}

// Milliseconds from `since` until the window has nothing left to paint, or -1.
double UntilPainted(HWND window, double since) {
    for (; GetUpdateRect(window, nullptr, FALSE); Sleep(1)) {
        if (NowMs() - since > kTimeoutMs) return -1;
    }
    return NowMs() - since;
}

void ClickAt(int x, int y) {
    SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

// The build being measured, started in `dir`; ended without a save unless closed.
class Program {
  public:
    explicit Program(const std::string& dir) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + g_exes[g_build] + "\"";
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                       &process_);
        for (; process_.hProcess && !window && NowMs() - started < kTimeoutMs && !Ended(0); Sleep(1)) {
            HWND found = FindWindowA(kMainClassName, nullptr);
            DWORD pid = 0;
            GetWindowThreadProcessId(found, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(found)) window = found;
        }
        if (!window) std::fprintf(stderr, "cbbench largelist: no window of %s\n", command.c_str());
    }
    ~Program() {
        TerminateProcess(process_.hProcess, 99);
        Ended(30000);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Control(int id) const { return GetDlgItem(window, id); }
    bool Ended(DWORD ms) const { return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0; }

    // How long the user-interface thread takes to serve a message to the window; -1 when it does not.
    double Time(UINT message, WPARAM wParam = 0) const {
        const double start = NowMs();
        return Ask(window, message, wParam) == -1 ? -1 : NowMs() - start;
    }
    LRESULT Ask(HWND to, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(to, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &answer) ? answer : -1;
    }

    const double started = NowMs();
    HWND window = nullptr;  // the main window once visible

  private:
    PROCESS_INFORMATION process_ = {};
};

bool TimeStart(int entries) {
    const std::string count = std::to_string(entries);
    const Program program(Folder("startup-" + count, entries));
    Add(StartUp(count, "window visible"), program.window ? NowMs() - program.started : -1);
    Add(StartUp(count, "list painted"), UntilPainted(program.Control(IDC_SOUND_LIST), program.started));
    return program.window;
}

// Milliseconds from the click until the toggle reports `state` and has painted it, or -1.
// Clicks that follow each other closely fall on two spots, so none makes a double-click.
double ClickToggle(const Program& program, LRESULT state) {
    static int click = 0;
    HWND toggle = program.Control(IDC_REGISTER_TOGGLE);
    RECT rect = {};
    GetWindowRect(toggle, &rect);
    const double clicked = NowMs();
    ClickAt((rect.left + rect.right) / 2 + (click++ % 2 ? 25 : -25), (rect.top + rect.bottom) / 2);
    for (; program.Ask(toggle, BM_GETCHECK) != state; Sleep(1)) {
        if (NowMs() - clicked > 10000) return -1;
    }
    return UntilPainted(toggle, clicked);
}

bool TimeAnswers(int rows, int answers, int clicks) {
    const Program program(Folder("respond-" + std::to_string(rows), rows));
    Sleep(1000);  // the watcher well into its passes
    const std::string figure = std::to_string(rows) + " rows: p50 / p95 / max";
    for (int i = 0; i < answers; ++i) {
        Sleep(std::rand() % 10);  // irregular moments, the same in every run
        Add("answer, watcher on " + figure, program.Time(WM_NULL));
    }
    for (int i = 0; i < clicks; ++i) {
        Sleep(std::rand() % 50);
        Add("toggle click shown, " + figure, ClickToggle(program, BST_CHECKED));
        if (ClickToggle(program, BST_UNCHECKED) < 0) return false;
    }
    return program.window;
}

// A click a little below the header lands on the top row; under Wine a click now and then never
// arrives, so an unanswered one is made again.
bool SelectTopRow(const Program& program) {
    static int click = 0;
    HWND list = program.Control(IDC_SOUND_LIST);
    RECT header = {};
    GetWindowRect(FindWindowExA(list, nullptr, WC_HEADERA, nullptr), &header);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ClickAt(header.left + 20 + 30 * (click++ % 4), header.bottom + 6);
        for (const double start = NowMs(); NowMs() - start < 2000; Sleep(5)) {
            if (program.Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0) return true;
        }
    }
    std::fprintf(stderr, "cbbench largelist: a click did not select the top row\n");
    return false;
}

// Figures "NAME run" and "NAME painted"; a close is timed until the process has ended.
void TimeCommand(const Program& program, const std::string& name, UINT message, WPARAM command) {
    const double start = NowMs();
    Add(name + " run", program.Time(message, command));
    Add(name + " painted", message == WM_CLOSE ? (program.Ended(60000) ? NowMs() - start : -1)
                                               : UntilPainted(program.Control(IDC_SOUND_LIST), start));
}

bool TimeCommandsOnRows(int rows, bool edit, int repeats) {
    const Program program(Folder("commands", rows));  // rewritten: each close saves it reversed
    HWND list = program.Control(IDC_SOUND_LIST);
    if (!program.window || program.Ask(list, LVM_GETITEMCOUNT) != rows) return false;
    UntilPainted(list, NowMs());
    Sleep(500);  // the watcher under way, and the first paint on the screen
    for (int i = 0; i < repeats && rows > 0; ++i) {
        if (!SelectTopRow(program)) return false;
        if (edit) TimeCommand(program, "edit", WM_COMMAND, MAKEWPARAM(IDC_EDIT_BUTTON, BN_CLICKED));
        if (edit) TimeCommand(program, "add", WM_COMMAND, MAKEWPARAM(IDC_ADD_BUTTON, BN_CLICKED));
        if (!edit) TimeCommand(program, "delete", WM_COMMAND, MAKEWPARAM(IDC_DELETE_BUTTON, BN_CLICKED));
    }
    if (rows == 0) TimeCommand(program, "close-empty", WM_CLOSE, 0);
    else if (edit) TimeCommand(program, "close", WM_CLOSE, 0);
    else TimeCommand(program, "clear", WM_COMMAND, IDM_CLEAR_LIST);
    return true;
}

std::string Ms(double value) {  // "-" for none
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
    return value < 0 ? "-" : text;
}

// The table's cells are figures of the build g_build.
double At(const std::string& figure, double p) { return Percentile(g_samples[g_build][figure], p); }
std::string Three(double a, double b, double c) { return Ms(a) + " / " + Ms(b) + " / " + Ms(c); }
std::string Command(const std::string& name) {
    return Three(At(name + " run", 0.5), At(name + " painted", 0.5), At(name + " painted", 1));
}
std::string CostOfList(const char* entries) {
    return Ms(At(StartUp(entries, "window visible"), 0.5) - At(StartUp("0", "window visible"), 0.5));
}
bool AnswerOrClick(const std::string& figure) { return figure.find(" rows: ") != std::string::npos; }

template <typename Cell>
void Row(const std::string& label, Cell cell) {
    std::printf("%-52s", label.c_str());
    for (g_build = 0; g_build < g_exes.size(); ++g_build) std::printf(" %-22s", cell().c_str());
    std::printf("\n");
}

void PrintTable() {
    for (const char* entries : {"0", "1000", "10000"}) {
        for (const char* until : {"window visible", "list painted"}) {
            const std::string figure = StartUp(entries, until);
            Row(figure, [&] { return Ms(At(figure, 0.5)); });
        }
    }
    Row("  cost of the list at 1000 (N - 0), target < 100", [] { return CostOfList("1000"); });
    Row("  cost of the list at 10000 (N - 0), target < 500", [] { return CostOfList("10000"); });
    for (const auto& samples : g_samples[0]) {
        const std::string& figure = samples.first;
        if (!AnswerOrClick(figure)) continue;
        Row(figure, [&] { return Three(At(figure, 0.5), At(figure, 0.95), At(figure, 1)); });
    }
    Row("  longest answer or click of all, target < 1000", [] {
        double longest = 0;
        for (const auto& [figure, values] : g_samples[g_build]) {
            if (AnswerOrClick(figure)) longest = std::max(longest, Percentile(values, 1));
        }
        return Ms(longest);
    });
    for (const char* name : {"add", "edit", "delete", "clear"}) {
        Row(name + std::string(" on 1000 rows: run / painted / max"), [&] { return Command(name); });
    }
    Row("close, saving 1000 rows: run / ended / max", [] { return Command("close"); });
    Row("close, no entries (Wine alone): run / ended / max", [] { return Command("close-empty"); });
}

}  // namespace

int RunLargeList(int argc, char** argv) {
    if (argc < 7) return Usage("largelist WORKDIR STARTS ANSWERS CLICKS COMMANDS RUNS CHORDBELL_EXE...");
    g_work = argv[0];
    g_exes.assign(argv + 6, argv + argc);
    g_samples.resize(g_exes.size());
    const int starts = std::atoi(argv[1]), answers = std::atoi(argv[2]), clicks = std::atoi(argv[3]);
    const int commands = std::atoi(argv[4]), runs = std::atoi(argv[5]);
    bool done = true;
    const auto eachBuild = [&done](const auto& measure) {
        for (g_build = 0; g_build < g_exes.size(); ++g_build) done = measure() && done;
    };
    eachBuild([] { const Program warmUp(Folder("startup-0", 0)); return true; });  // loads Wine's own libraries
    for (int run = 0; run < starts; ++run) {
        for (int entries : {0, 1000, 10000}) eachBuild([&] { return TimeStart(entries); });
    }
    for (int rows : {0, 100, 1000}) eachBuild([&] { return TimeAnswers(rows, answers, clicks); });
    for (int run = 0; run < runs; ++run) {
        eachBuild([&] {
            const bool edited = TimeCommandsOnRows(1000, true, commands);
            const bool deleted = TimeCommandsOnRows(1000, false, commands);
            return TimeCommandsOnRows(0, false, 0) && edited && deleted;
        });
    }
    PrintTable();
    return done ? 0 : 1;
}
