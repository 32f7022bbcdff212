// How the real program answers while its key watcher reads a list of ROWS entries and nothing
// is pressed, seen from another process as a user would see it:
//   - the user-interface thread's answer to a message sent by another process (WM_NULL with
//     SendMessageTimeout), SAMPLES times at irregular moments;
//   - a mouse click on the registration toggle, timed until the screen shows the button in its
//     checked look (its pixels, read from the screen, match the look it settled to after a
//     first click), CLICKS times.
// Usage: probe_respond WORKDIR ROWS SAMPLES CLICKS
// Prints "answer ROWS COUNT P50 P95 MAX" and "toggle ROWS COUNT P50 P95 MAX", in milliseconds.
#include "probe_common.h"

#include <cstdlib>

namespace {

using Pixels = std::vector<unsigned char>;

// The inside of a control as the screen shows it now.
Pixels ScreenPixels(HWND control) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    InflateRect(&rect, -3, -3);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const unsigned char*>(bits);
    Pixels pixels(first, first + static_cast<size_t>(width) * height * 4);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Milliseconds until the control looks like `look`, or -1.
double WaitForLook(HWND control, const Pixels& look, double since, double timeoutMs = 10000) {
    while (ScreenPixels(control) != look) {
        if (probe::NowMs() - since > timeoutMs) return -1;
    }
    return probe::NowMs() - since;
}

// The look the control settles to: unchanged over a quarter of a second.
Pixels SettledLook(HWND control) {
    Pixels look = ScreenPixels(control);
    double since = probe::NowMs();
    while (probe::NowMs() - since < 250) {
        Sleep(10);
        Pixels now = ScreenPixels(control);
        if (now != look) {
            look = std::move(now);
            since = probe::NowMs();
        }
    }
    return look;
}

unsigned g_random = 12345;
DWORD RandomMs(DWORD below) {
    g_random = g_random * 1103515245u + 12345u;
    return (g_random >> 16) % below;
}

// Clicks that follow each other closely fall on two spots, so none makes a double-click.
void ClickToggle(HWND toggle) {
    static int click = 0;
    RECT rect = {};
    GetWindowRect(toggle, &rect);
    probe::ClickAt((rect.left + rect.right) / 2 + (click++ % 2 == 0 ? -25 : 25), (rect.top + rect.bottom) / 2);
}

std::vector<double> TimeAnswers(const probe::Program& program, int samples) {
    std::vector<double> answers;
    for (int i = 0; i < samples; ++i) {
        Sleep(RandomMs(10));
        answers.push_back(program.Answer(program.Window(), WM_NULL, 0, 0));
    }
    return answers;
}

bool TimeToggle(const probe::Program& program, int clicks, std::vector<double>* shown) {
    HWND toggle = program.Control(probe::kRegisterToggle);
    SetCursorPos(0, 0);
    const Pixels unchecked = SettledLook(toggle);
    ClickToggle(toggle);
    const double start = probe::NowMs();
    while (program.Ask(toggle, BM_GETCHECK) != BST_CHECKED) {
        if (probe::NowMs() - start > 10000) return false;
        Sleep(5);
    }
    const Pixels checked = SettledLook(toggle);
    if (checked == unchecked) return false;
    ClickToggle(toggle);
    if (WaitForLook(toggle, unchecked, probe::NowMs()) < 0) return false;
    for (int i = 0; i < clicks; ++i) {
        Sleep(RandomMs(50));
        const double clicked = probe::NowMs();
        ClickToggle(toggle);
        shown->push_back(WaitForLook(toggle, checked, clicked));
        ClickToggle(toggle);
        if (WaitForLook(toggle, unchecked, probe::NowMs()) < 0) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: probe_respond WORKDIR ROWS SAMPLES CLICKS\n");
        return 2;
    }
    const std::string rows = argv[2];
    const std::string dir = std::string(argv[1]) + "\\respond-" + rows;
    CreateDirectoryA(dir.c_str(), nullptr);
    if (!probe::WriteDataIni(dir, std::atoi(rows.c_str()))) return 1;
    probe::Program program(dir);
    if (!program.Start() || !program.WaitForWindow(probe::kAnswerTimeoutMs)) {
        std::fprintf(stderr, "probe_respond: the program's window did not show\n");
        return 1;
    }
    Sleep(1000);  // the watcher well into its passes
    const std::vector<double> answers = TimeAnswers(program, std::atoi(argv[3]));
    std::vector<double> shown;
    if (!TimeToggle(program, std::atoi(argv[4]), &shown)) {
        std::fprintf(stderr, "probe_respond: the toggle did not show its states\n");
        return 1;
    }
    probe::PrintRow({"answer", rows, std::to_string(answers.size()), probe::Ms(probe::Median(answers)),
                     probe::Ms(probe::Percentile(answers, 0.95)), probe::Ms(probe::Max(answers))});
    probe::PrintRow({"toggle", rows, std::to_string(shown.size()), probe::Ms(probe::Median(shown)),
                     probe::Ms(probe::Percentile(shown, 0.95)), probe::Ms(probe::Max(shown))});
    return 0;
}
