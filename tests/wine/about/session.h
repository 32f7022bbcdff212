// Drives the modal about window from inside its own loop: a thread timer runs the test's steps
// one tick at a time while the window is open, then closes it with WM_CLOSE.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Returns true when done; false to be asked again on the next tick (until a deadline).
using AboutStep = std::function<bool(HWND about)>;

struct AboutSession {
    HWND about = nullptr;  // the window that was open, no longer a window afterwards
    int result = -1;       // what open() returned
    bool allStepsDone = false;
};

// open() must open the about window and return once it has closed, returning the value
// ShowModalWindow gave (or the command's result).
AboutSession RunAboutSession(const std::function<int()>& open, std::vector<AboutStep> steps);

// Opens the about window through the main window's menu command.
AboutSession RunAboutFromMenu(std::vector<AboutStep> steps, WORD notificationCode = 0);

// The open about window of this thread, or null.
HWND FindAboutWindow();
