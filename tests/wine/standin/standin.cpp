// Planted as WINMM.DLL and COMCTL32.DLL: exports what ChordBell imports from them, leaves "<its path>.loaded".
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    char path[MAX_PATH + 8] = {};
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameA(self, path, MAX_PATH)) _lclose(_lcreat(lstrcatA(path, ".loaded"), 0));
    return TRUE;
}
extern "C" __declspec(dllexport) BOOL WINAPI PlaySoundA(const char*, HMODULE, DWORD) { return FALSE; }
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) { return FALSE; }
