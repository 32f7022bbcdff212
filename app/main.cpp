#include "app/app.h"

#include <initializer_list>

namespace {

// WINMM and COMCTL32 are no "known DLLs": Windows would load a file of that name from the
// program's folder (a Downloads folder, say) before its own. They and the DLLs that import them
// are delay-loaded (cmake/windows.cmake), so they load at their first call, after this has limited
// the search to System32. A plain import of SetDefaultDllDirectories would keep the program from
// starting on a Windows 7 without KB2533623; there WINMM and COMCTL32 are loaded by full path
// instead, and the delay-load helper, asking by name, finds them loaded. (A full path would
// bypass a manifest's request for common controls 6; ChordBell makes none.)
void LoadDllsFromSystem32Only() {
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    const auto setDefaultDirectories =
        reinterpret_cast<decltype(&SetDefaultDllDirectories)>(reinterpret_cast<void*>(found));
    if (setDefaultDirectories != nullptr && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH - 16);
    if (length == 0 || length >= MAX_PATH - 16) return;
    for (const char* name : {"\\winmm.dll", "\\comctl32.dll"}) {
        lstrcpyA(path + length, name);
        LoadLibraryA(path);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadDllsFromSystem32Only();  // before anything that could load a DLL
    if (HandOverToRunningCopy()) ExitProcess(0);
    CreateSharedResources();
    HWND mainWindow = CreateMainWindow();
    // Without a main window nothing could ever end the message loop.
    if (mainWindow == nullptr) {
        MessageBoxA(nullptr, "メインウインドウを作成できませんでした。", "ChordBell",
                    MB_ICONERROR | MB_OK);
        ExitProcess(0);
    }
    PublishMainWindow(mainWindow);
    RunMessageLoop();
    ExitProcess(0);  // the exit code is 0 however the loop ended
}
