// The real program, started as a process of its own and observed from outside the way a user
// and the shell see it: its windows, its controls' texts and states, its list rows, its tray
// icon, what it played and the file it left.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Polls until done() holds or the deadline passes. Deadlines are generous: the 32-bit build
// runs under user-mode emulation here, where the first use of any code path takes seconds.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

std::string ProgramPath();  // chordbell.exe beside this test program

// A top-level window of the process with that class (and title, unless null), visible or not.
HWND FindProcessWindow(DWORD pid, const char* className, const char* title);

std::string ClassName(HWND window);
std::string TextOf(HWND window);  // WM_GETTEXT, which the system carries across processes
bool SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                DWORD_PTR* result = nullptr);

class Program {
  public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start(const std::string& directory);
    bool Running() const;
    bool WaitForExit(DWORD timeoutMs) const;
    DWORD ExitCode() const;
    DWORD Pid() const { return process_.dwProcessId; }

    // A list cell, read through a buffer in the program's own memory: the list view's
    // messages carry pointers that only mean something inside its process.
    bool ReadListCell(HWND list, int row, int column, std::string* text) const;

  private:
    PROCESS_INFORMATION process_ = {};
};

void PressKey(WORD vk, bool down);

// Whether the shell holds the icon (window, id): NIM_MODIFY succeeds only for an icon that exists.
bool TrayIconExists(HWND window, UINT id);

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
