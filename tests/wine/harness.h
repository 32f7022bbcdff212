// What the Wine tests share: files, waits with deadlines, input, message boxes, list rows of any
// process, the sound capture, the real main window in this process and the real program in one
// of its own.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

std::string MakeTempDir(const char* name);
std::string ReadBytes(const std::string& path, uint64_t from = 0);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);  // to any process
std::string Text(HWND window);                                                   // of any process
void Input(DWORD type, WORD vk, DWORD flags);  // keyboard or mouse input, as from a device
inline void KeyDown(BYTE vk) { Input(INPUT_KEYBOARD, vk, 0); }
inline void KeyUp(BYTE vk) { Input(INPUT_KEYBOARD, vk, KEYEVENTF_KEYUP); }
bool TrayIcon(HWND window, DWORD action = NIM_MODIFY);  // true if the shell had the icon (window, 1)

using Row = std::vector<std::string>;  // key 1, key 2, path
using Rows = std::vector<Row>;         // top first
Rows ListRows(HWND list);
void SelectRow(HWND list, int row);  // adds it to the selection

// Answers, from a thread of its own, every message box with this title, of any process.
class BoxAnswerer {
  public:
    BoxAnswerer(const char* title, int button);
    ~BoxAnswerer() { stop_ = 1, thread_.join(); }
    int Count() const { return count_; }
    std::string Text() const { return text_; }  // of the last box, once Count has moved
    HWND Owner() const { return owner_; }

  private:
    std::string title_, text_;
    int button_;
    volatile LONG count_ = 0, stop_ = 0;
    HWND owner_ = nullptr;
    std::thread thread_;
};

// Sounds whose every play the capture file (CB_CAPTURE_FILE) tells apart: each starts with a
// marker and goes on with a body, both unique to its id.
int NextSoundId();
std::string WriteTestSound(const std::string& dir, int id, int milliseconds = 40);
inline size_t SoundSamples(int milliseconds) { return static_cast<size_t>(8 * milliseconds); }
class Capture {  // what played since it was made or marked
  public:
    Capture() { Mark(); }
    void Mark();
    std::vector<int> Starts() const;  // ids, in playing order
    int Count(int id) const;
    size_t Samples(int id) const;

  private:
    uint64_t mark_ = 0;
};

HWND AppWindow();  // the real main window in this process, made once in a folder of its own
HWND Control(int id);
void Click(int id);
void ResetMainWindow();  // empty list, registration off, fields empty, buttons shown, in front
void FillList(const Rows& rows);

// The real program, chordbell.exe beside this test program, in a process of its own.
struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    HWND Item(int id) const { return GetDlgItem(window, id); }
};
Program Launch(const std::string& folder);
HWND ShownWindow(DWORD pid, const char* className, const char* title);
bool WaitForWindow(Program& program, DWORD timeoutMs = 60000);
DWORD ExitCode(const Program& program, DWORD timeoutMs = 20000);  // STILL_ACTIVE if it hung
