#include "about/about.h"

#include "app/app.h"
#include "chordbell_version.h"

namespace {

constexpr char kAboutWindowName[] = "Version";
// The link button's caption and the address it opens are one and the same text.
constexpr char kArtistSite[] = "http://mirune.example/";
// The author's credit; short enough for its 57-pixel label also in a fixed-pitch substitute
// of the about font.
constexpr char kCreditText[] = "by 鐘の音";

// The controls that the code addresses; the others are known only to the table.
enum AboutControlId : int {
    IDC_ABOUT_LINK = 1008,
    IDC_ABOUT_VERSION_BOX = 1013,
    IDC_ABOUT_PICTURE_FRAME = 1020,
};

const DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;  // a left-aligned label or a push button

// Creation order is table order.
const ControlDef kAboutControls[] = {
    {1004, "STATIC", "Chord Bell", 0, kLabelStyle, 330, 52, 75, 12},
    {1005, "STATIC", kCreditText, 0, kLabelStyle, 457, 99, 57, 12},
    {1006, "STATIC", "Version", 0, kLabelStyle, 347, 78, 43, 12},
    {IDC_ABOUT_VERSION_BOX, "STATIC", "", WS_EX_STATICEDGE, kLabelStyle | SS_CENTER, 396, 78, 50,
     15},
    {1017, "STATIC", "Edition.", 0, kLabelStyle, 457, 78, 50, 12},
    {1018, "STATIC", "アイコンは", 0, kLabelStyle, 330, 171, 59, 12},
    {1019, "STATIC", "Mirune様に描いて頂きました", 0, kLabelStyle, 347, 188,
     161, 12},
    {IDC_ABOUT_LINK, "BUTTON", kArtistSite, WS_EX_DLGMODALFRAME, kLabelStyle, 329, 205, 181, 30},
    {IDC_ABOUT_PICTURE_FRAME, "STATIC", "", 0, kLabelStyle | SS_ETCHEDFRAME, 5, 4, 303, 303},
};

constexpr int kPictureX = 1, kPictureY = 1;  // one pixel inside the etched frame
constexpr int kPictureSize = 300;

// Written on creation and again by WM_INITDIALOG; never cleared.
HWND g_aboutWindow;

// A window's device context from GetDC, released when the scope ends.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// A GDI handle of this scope, freed by Release when the scope ends.
template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class ScopedGdi {
  public:
    explicit ScopedGdi(Handle handle) : handle_(handle) {}
    ~ScopedGdi() { Release(handle_); }
    ScopedGdi(const ScopedGdi&) = delete;
    ScopedGdi& operator=(const ScopedGdi&) = delete;
    Handle get() const { return handle_; }

  private:
    Handle handle_;
};

// Selects an object into a device context and puts the previous one back when the scope ends,
// so the device context never holds an object deleted before it.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

void OpenArtistSite() {
    if (MessageBoxA(g_aboutWindow, "Mirune様のサイトを開きます", "確認",
                    MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) {
        return;
    }
    g_shellExecute(kArtistSite, "open", nullptr);
}

// The picture is loaded and freed at every paint and drawn straight into the frame control's
// own device context, not the about window's paint context. The control paints its etched edge
// afterwards, over the picture's first row and column.
void PaintAboutBitmap() {
    WindowDc mainDc(g_shared.mainWindow);
    ScopedGdi<HGDIOBJ, DeleteObject> picture(
        LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE)));
    ScopedGdi<HDC, DeleteDC> memory(CreateCompatibleDC(mainDc.get()));
    ScopedSelect selected(memory.get(), picture.get());
    WindowDc frameDc(GetDlgItem(g_aboutWindow, IDC_ABOUT_PICTURE_FRAME));
    BitBlt(frameDc.get(), kPictureX, kPictureY, kPictureSize, kPictureSize, memory.get(), 0, 0,
           SRCCOPY);
}

// The owner is enabled before the window goes, so that the system activates it rather than
// some other program's window. The quit message ends the modal loop alone.
void CloseAboutWindow(HWND window, int exitCode) {
    EnableWindow(GetWindow(window, GW_OWNER), TRUE);
    DestroyWindow(window);
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void OnInitDialog(HWND window) {
    g_aboutWindow = window;
    CreateControls(window, kAboutControls, g_shared.aboutFont);
    CenterWindowOnWindow(g_shared.mainWindow, window, 0, 0);
    SetDlgItemTextA(window, IDC_ABOUT_VERSION_BOX, CB_VERSION_TEXT);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    PaintAboutBitmap();
    EndPaint(window, &paint);
}

// Escape arrives here as IDCANCEL and, like every command but the link button's click, does
// nothing: the window closes only through WM_CLOSE.
void OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) == IDC_ABOUT_LINK && HIWORD(wParam) == BN_CLICKED) OpenArtistSite();
}

LRESULT CALLBACK AboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(window); return 0;
        case WM_PAINT: OnPaint(window); return 0;
        case WM_CLOSE: CloseAboutWindow(window, 0); return 0;
        case WM_DESTROY: return 0;
        case WM_COMMAND: OnCommand(wParam); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Serves every window of the thread, the disabled owner included, until a WM_QUIT arrives.
int RunModalLoop(HWND owner) {
    MSG msg = {};
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!IsDialogMessageA(g_aboutWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // An owner destroyed while this window was open (a WM_CLOSE posted to the disabled main
    // window from outside) posted the program's own quit message, which this loop took: pass
    // it on, or the main loop would wait for ever with no window left.
    if (!IsWindow(owner)) PostQuitMessage(static_cast<int>(msg.wParam));
    return static_cast<int>(msg.wParam);
}

}  // namespace

// Without a window there would be nothing left to close and enable the owner again, so a
// failed creation returns at once with the owner untouched.
int ShowModalWindow(HWND owner, const char* windowName) {
    if (lstrcmpA(windowName, kAboutWindowName) != 0) return 0;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    g_aboutWindow = CreateWindowExA(0, kDialogClassName, kAboutWindowName, WS_CAPTION | WS_SYSMENU,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 530, 340, owner, nullptr,
                                    instance, nullptr);
    if (g_aboutWindow == nullptr) return 0;
    // Creation went through the class's default procedure; from here on this one serves it.
    SetWindowLongPtrA(g_aboutWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AboutWindowProc));
    SendMessageA(g_aboutWindow, WM_INITDIALOG, 0, 0);
    SendMessageA(g_aboutWindow, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_ICON))));
    ShowWindow(g_aboutWindow, SW_SHOW);
    EnableWindow(owner, FALSE);
    return RunModalLoop(owner);
}
