// What every Wine test program shares: the real main window built once per process, waits
// with deadlines, keys pressed through SendInput, and message boxes answered from a thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

HWND AppWindow();  // builds the real main window on first use, in a fresh current directory
HWND Control(int id);
void PumpMessages();
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
std::string WindowText(HWND window);
void ResetMainWindow();  // empty list, toggle unchecked, fields empty, buttons shown
std::string MakeTempDir(const char* name);

void KeyDown(BYTE vk);
void KeyUp(BYTE vk);

// Answers every message box with the given title, from a thread of its own, while it lives.
class BoxAnswerer {
  public:
    BoxAnswerer(const char* title, int button);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    int Count() const;
    std::string Text() const;      // the text of the last box answered
    HWND Owner() const;            // the owner of the last box answered

  private:
    void Run();

    std::string title_;
    int button_;
    HANDLE stop_;
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    HWND owner_ = nullptr;
    std::thread thread_;
};
