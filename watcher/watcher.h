// The key watcher: a background thread that polls the keyboard and plays the entries' sounds.
#pragma once

#include <windows.h>

extern HANDLE g_keyWatcher;  // written once by StartKeyWatcher; never closed

void StartKeyWatcher();  // creates the thread; the main window and its list must exist
DWORD WINAPI KeyWatcherProc(LPVOID unused);

// Used by AddEntry around the making of a new row. Neither call ever blocks the caller.
void PauseKeyWatcher();
void ResumeKeyWatcher();
