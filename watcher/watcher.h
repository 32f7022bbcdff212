// The key watcher: a background thread that polls the keyboard and plays the entries' sounds.
#pragma once

void StartKeyWatcher();  // creates the thread; the main window and its list must exist

// Used by AddEntry around the making of a new row. Neither call ever blocks the caller.
void PauseKeyWatcher();
void ResumeKeyWatcher();
