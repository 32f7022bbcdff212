#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
