#include "tests/wine/about/session.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/app.h"
#include "tests/wine/common/harness.h"

namespace {

constexpr DWORD kStepDeadlineMs = 5000;
constexpr DWORD kTickMs = 15;

struct SessionState {
    std::vector<AboutStep> steps;
    size_t next = 0;
    DWORD since = 0;
    HWND about = nullptr;
    bool busy = false;  // a step in a nested loop (a message box) must not be re-entered
    bool closing = false;
};

SessionState* g_state;

BOOL CALLBACK FindAbout(HWND window, LPARAM param) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "NORMALDLG") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

void Tick(SessionState& s) {
    DWORD now = GetTickCount();
    if (s.about == nullptr) {
        s.about = FindAboutWindow();
        if (s.about == nullptr) return;
        s.since = now;
    }
    if (s.closing) {
        // A window that ignores WM_CLOSE would keep the test in its loop for ever.
        if (now - s.since > kStepDeadlineMs && IsWindow(s.about)) {
            ADD_FAILURE() << "the about window did not close on WM_CLOSE";
            EnableWindow(GetWindow(s.about, GW_OWNER), TRUE);
            DestroyWindow(s.about);
            PostQuitMessage(-2);
        }
        return;
    }
    if (s.next < s.steps.size()) {
        if (s.steps[s.next](s.about)) {
            ++s.next;
            s.since = now;
        } else if (now - s.since > kStepDeadlineMs) {
            ADD_FAILURE() << "step " << s.next << " did not finish in time";
            s.steps.clear();
        }
        if (s.next < s.steps.size()) return;
    }
    s.closing = true;
    s.since = now;
    PostMessageA(s.about, WM_CLOSE, 0, 0);
}

VOID CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_state == nullptr || g_state->busy) return;
    g_state->busy = true;
    Tick(*g_state);
    g_state->busy = false;
}

}  // namespace

HWND FindAboutWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&found));
    return found;
}

AboutSession RunAboutSession(const std::function<int()>& open, std::vector<AboutStep> steps) {
    SessionState state;
    size_t stepCount = steps.size();
    state.steps = std::move(steps);
    g_state = &state;
    UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, OnTick);
    AboutSession session;
    session.result = open();
    KillTimer(nullptr, timer);
    g_state = nullptr;
    session.about = state.about;
    session.allStepsDone = state.about != nullptr && state.next == stepCount;
    return session;
}

AboutSession RunAboutFromMenu(std::vector<AboutStep> steps, WORD notificationCode) {
    return RunAboutSession(
        [notificationCode] {
            return static_cast<int>(SendMessageA(AppWindow(), WM_COMMAND,
                                                 MAKEWPARAM(IDM_VERSION, notificationCode), 0));
        },
        std::move(steps));
}
