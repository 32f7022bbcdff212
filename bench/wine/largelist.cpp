// Large lists, timed from outside as a user feels them, for each chordbell.exe given (the builds
// with and without the bulk treatment), interleaved so that a slow moment of the machine does not
// fall on one build alone. Each program runs as a process of its own in a folder whose data.ini
// holds the entries, all on key 7, which no keyboard sends: the watcher reads every row of every
// pass and plays nothing. Prints the table of scripts/bench-largelist.sh, a column a build:
//   - start-up: from CreateProcess until the main window is visible, and until its list has
//     painted, with 0, 1,000 and 10,000 entries (medians of STARTS);
//   - answers of the user-interface thread to a message from this process while the watcher
//     reads 0, 100 and 1,000 rows and nothing is pressed, at irregular moments;
//   - a mouse click on the registration toggle until it reports checked and has painted;
//   - add, edit, delete, clear and close (with its save) on 1,000 rows through the window's
//     commands, until the command has run and until the list has painted (a close: until the
//     process has ended); a close with no entries beside it: Wine's own cost of a close.
// Usage: cbbench largelist WORKDIR STARTS ANSWERS CLICKS COMMANDS RUNS CHORDBELL_EXE...
#include "bench/wine/bench.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "app/app.h"

namespace {

constexpr double kTimeoutMs = 120000;  // longer than anything measured takes
constexpr int kCommandRows = 1000;

using Samples = std::map<std::string, std::vector<double>>;  // by figure
std::vector<Samples> g_samples;                              // a build each

bool WriteDataIni(const std::string& dir, int rows) {
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string text = "[LISTNUM]\r\nLIST=" + std::to_string(rows) + "\r\n";
    for (int i = 0; i < rows; ++i) {
        text += "[LIST" + std::to_string(i) + "]\r\nkey1=7\r\nkey2=-1\r\npath=C:\\none\\row-" + std::to_string(i) +
                ".wav\r\n";
    }
    FILE* file = std::fopen((dir + "\\data.ini").c_str(), "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return file && std::fclose(file) == 0 && written;
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

// A chordbell.exe started in a folder; ended without a save unless closed.
class Program {
  public:
    Program(const std::string& exe, const std::string& dir) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"";
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                            &process_)) {
            return;
        }
        for (; !window_ && NowMs() - started_ < kTimeoutMs && !Ended(0); Sleep(1)) {
            HWND found = FindWindowA("NORMAL0", nullptr);
            DWORD pid = 0;
            GetWindowThreadProcessId(found, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(found)) window_ = found;
        }
        visible_ = NowMs() - started_;
    }
    ~Program() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 99);
        Ended(30000);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    double Started() const { return started_; }
    double Visible() const { return window_ ? visible_ : -1; }
    bool Ended(DWORD timeoutMs) const { return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0; }

    // How long the user-interface thread takes to serve a message; -1 when it does not.
    double Send(HWND to, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr) const {
        DWORD_PTR answer = 0;
        const double start = NowMs();
        const bool sent = SendMessageTimeoutA(to, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &answer);
        if (result) *result = static_cast<LRESULT>(answer);
        return sent ? NowMs() - start : -1;
    }
    LRESULT Ask(HWND to, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        LRESULT result = 0;
        Send(to, message, wParam, lParam, &result);
        return result;
    }

  private:
    const double started_ = NowMs();
    double visible_ = -1;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

bool TimeStart(Samples& samples, const std::string& exe, const std::string& dir, int entries) {
    const Program program(exe, dir);
    const std::string figure = "startup " + std::to_string(entries);
    samples[figure + " visible"].push_back(program.Visible());
    samples[figure + " painted"].push_back(UntilPainted(program.Control(IDC_SOUND_LIST), program.Started()));
    return program.Window() != nullptr;
}

unsigned g_random = 12345;
DWORD RandomMs(DWORD below) {
    g_random = g_random * 1103515245u + 12345u;
    return (g_random >> 16) % below;
}

// Milliseconds from `since` until the toggle reports `state` and has painted it, or -1.
double UntilToggle(const Program& program, LRESULT state, double since) {
    for (; program.Ask(program.Control(IDC_REGISTER_TOGGLE), BM_GETCHECK) != state; Sleep(1)) {
        if (NowMs() - since > 10000) return -1;
    }
    return UntilPainted(program.Control(IDC_REGISTER_TOGGLE), since);
}

// Clicks that follow each other closely fall on two spots, so none makes a double-click.
double ClickToggle(const Program& program, LRESULT state) {
    static int click = 0;
    RECT rect = {};
    GetWindowRect(program.Control(IDC_REGISTER_TOGGLE), &rect);
    const double clicked = NowMs();
    ClickAt((rect.left + rect.right) / 2 + (click++ % 2 ? 25 : -25), (rect.top + rect.bottom) / 2);
    return UntilToggle(program, state, clicked);
}

bool TimeAnswers(Samples& samples, const std::string& exe, const std::string& dir, int answers, int clicks) {
    const Program program(exe, dir);
    if (!program.Window()) return false;
    Sleep(1000);  // the watcher well into its passes
    const std::string rows = dir.substr(dir.rfind('-') + 1);
    for (int i = 0; i < answers; ++i) {
        Sleep(RandomMs(10));
        samples["answer " + rows].push_back(program.Send(program.Window(), WM_NULL));
    }
    for (int i = 0; i < clicks; ++i) {
        Sleep(RandomMs(50));
        samples["toggle " + rows].push_back(ClickToggle(program, BST_CHECKED));
        if (ClickToggle(program, BST_UNCHECKED) < 0) return false;
    }
    return true;
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

bool StartWithRows(const Program& program, int rows) {
    if (!program.Window() || program.Ask(program.Control(IDC_SOUND_LIST), LVM_GETITEMCOUNT) != rows) return false;
    UntilPainted(program.Control(IDC_SOUND_LIST), NowMs());
    Sleep(500);  // the watcher under way, and the first paint on the screen
    return true;
}

// A close is timed until the process has ended, any other command until the list has painted.
void TimeCommand(Samples& samples, const Program& program, const std::string& name, UINT message, WPARAM command) {
    const double start = NowMs();
    samples[name + " run"].push_back(program.Send(program.Window(), message, command));
    samples[name + " painted"].push_back(message == WM_CLOSE ? (program.Ended(60000) ? NowMs() - start : -1)
                                                              : UntilPainted(program.Control(IDC_SOUND_LIST), start));
}

// Each run starts three programs: edit and add, then the close that saves the list; delete and
// clear; a close with nothing to save. The close saves the list reversed, so it is rewritten.
bool TimeCommands(Samples& samples, const std::string& exe, const std::string& work, int repeats) {
    const std::string dir = work + "\\commands", empty = work + "\\commands-empty";
    if (!WriteDataIni(dir, kCommandRows) || !WriteDataIni(empty, 0)) return false;
    {
        const Program program(exe, dir);
        if (!StartWithRows(program, kCommandRows)) return false;
        for (int i = 0; i < repeats; ++i) {
            if (!SelectTopRow(program)) return false;
            TimeCommand(samples, program, "edit", WM_COMMAND, MAKEWPARAM(IDC_EDIT_BUTTON, BN_CLICKED));
            TimeCommand(samples, program, "add", WM_COMMAND, MAKEWPARAM(IDC_ADD_BUTTON, BN_CLICKED));
        }
        TimeCommand(samples, program, "close", WM_CLOSE, 0);
    }
    {
        const Program program(exe, dir);
        if (!StartWithRows(program, kCommandRows)) return false;
        for (int i = 0; i < repeats; ++i) {
            if (!SelectTopRow(program)) return false;
            TimeCommand(samples, program, "delete", WM_COMMAND, MAKEWPARAM(IDC_DELETE_BUTTON, BN_CLICKED));
        }
        TimeCommand(samples, program, "clear", WM_COMMAND, IDM_CLEAR_LIST);
    }
    const Program program(exe, empty);
    if (!StartWithRows(program, 0)) return false;
    TimeCommand(samples, program, "close-empty", WM_CLOSE, 0);
    return true;
}

void Row(const std::string& label, const std::function<std::string(Samples&)>& cell) {
    std::printf("%-52s", label.c_str());
    for (Samples& samples : g_samples) std::printf(" %-22s", cell(samples).c_str());
    std::printf("\n");
}

void PrintTable() {
    const auto median = [](const std::string& figure) {
        return [figure](Samples& s) { return Ms(Percentile(s[figure], 0.5)); };
    };
    for (const char* entries : {"0", "1000", "10000"}) {
        Row("start-up, " + std::string(entries) + " entries: window visible", median("startup " + std::string(entries) + " visible"));
        Row("start-up, " + std::string(entries) + " entries: list painted", median("startup " + std::string(entries) + " painted"));
    }
    for (const char* entries : {"1000", "10000"}) {
        Row(std::string("  cost of the list at ") + entries + " (N - 0), target < " + (entries[4] ? "500" : "100"),
            [entries](Samples& s) {
                return Ms(Percentile(s["startup " + std::string(entries) + " visible"], 0.5) -
                          Percentile(s["startup 0 visible"], 0.5));
            });
    }
    for (const char* kind : {"answer", "toggle"}) {
        for (const char* rows : {"0", "100", "1000"}) {
            Row(std::string(kind) + (kind[0] == 'a' ? ", watcher on " : " click shown, ") + rows + " rows: p50 / p95 / max",
                [kind, rows](Samples& s) { return Spread(s[std::string(kind) + " " + rows]); });
        }
    }
    Row("  longest answer or click of all, target < 1000", [](Samples& s) {
        double longest = 0;
        for (const auto& [figure, values] : s) {
            if (figure.rfind("answer", 0) == 0 || figure.rfind("toggle", 0) == 0) longest = std::max(longest, Percentile(values, 1));
        }
        return Ms(longest);
    });
    for (const char* name : {"add", "edit", "delete", "clear", "close", "close-empty"}) {
        const std::string command = name;
        const std::string label = command == "close" ? "close, saving 1000 rows: run / ended / max"
                                  : command == "close-empty" ? "close, no entries (Wine alone): run / ended / max"
                                                             : command + " on 1000 rows: run / painted / max";
        Row(label, [command](Samples& s) {
            return Ms(Percentile(s[command + " run"], 0.5)) + " / " + Ms(Percentile(s[command + " painted"], 0.5)) +
                   " / " + Ms(Percentile(s[command + " painted"], 1));
        });
    }
}

}  // namespace

int RunLargeList(int argc, char** argv) {
    if (argc < 7) return Usage("largelist WORKDIR STARTS ANSWERS CLICKS COMMANDS RUNS CHORDBELL_EXE...");
    const std::string work = argv[0];
    const std::vector<std::string> exes(argv + 6, argv + argc);
    g_samples.resize(exes.size());
    for (int entries : {0, 1000, 10000}) WriteDataIni(work + "\\startup-" + std::to_string(entries), entries);
    for (const std::string& exe : exes) {
        const Program warmUp(exe, work + "\\startup-0");  // a first start loads Wine's libraries
    }
    bool done = true;
    for (int run = 0; run < std::atoi(argv[1]); ++run) {
        for (int entries : {0, 1000, 10000}) {
            for (size_t b = 0; b < exes.size(); ++b) {
                done = done && TimeStart(g_samples[b], exes[b], work + "\\startup-" + std::to_string(entries), entries);
            }
        }
    }
    for (int rows : {0, 100, 1000}) {
        const std::string dir = work + "\\respond-" + std::to_string(rows);
        for (size_t b = 0; b < exes.size(); ++b) {
            done = done && WriteDataIni(dir, rows) &&
                   TimeAnswers(g_samples[b], exes[b], dir, std::atoi(argv[2]), std::atoi(argv[3]));
        }
    }
    for (int run = 0; run < std::atoi(argv[5]); ++run) {
        for (size_t b = 0; b < exes.size(); ++b) done = done && TimeCommands(g_samples[b], exes[b], work, std::atoi(argv[4]));
    }
    if (!done) std::fprintf(stderr, "cbbench largelist: a program did not start or answer as expected\n");
    PrintTable();
    return done ? 0 : 1;
}
