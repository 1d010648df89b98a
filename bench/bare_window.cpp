// The floor Quorbel is measured against: the same kind of window with the same controls in the same styles
// (a menu bar, a frame holding the league list and the log, a picture box, three buttons, the message font)
// and the same timer, built with the same flags, and no logic at all. Built with Quorbel's manifest as well,
// for the same DPI awareness and Common Controls.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// at: left, top, width and height, in pixels as Quorbel's design has them at 96 DPI.
HWND Child(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, RECT at, HWND parent,
           int id, HFONT font) {
    const HWND child = CreateWindowExW(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top, at.right, at.bottom, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"QuorbelBenchBare";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const HMENU menu = CreateMenu(), file = CreatePopupMenu(), info = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 201, L"&Ende\tStrg+Q");
    AppendMenuW(info, MF_STRING, 202, L"&Info\tStrg+I");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&Datei");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(info), L"&Info");
    RECT frame{0, 0, 402, 345};
    AdjustWindowRect(&frame, style, TRUE);
    const HWND window =
        CreateWindowW(L"QuorbelBenchBare", L"Bare", style, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    Child(WS_EX_CLIENTEDGE, L"Static", L"", WS_TABSTOP, {0, 0, 404, 104}, window, 8, font);
    const HWND box = Child(WS_EX_CONTROLPARENT, L"Static", L"", SS_ETCHEDFRAME | WS_CLIPCHILDREN,
                           {5, 104, 392, 201}, window, 4, font);
    Child(0, L"ComboBox", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, {8, 16, 377, 221},
          box, 7, font);
    Child(WS_EX_CLIENTEDGE, L"ListBox", L"",
          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, {8, 48, 377, 147},
          box, 6, font);
    Child(0, L"Button", L"Datensatz setzen", WS_TABSTOP | BS_PUSHBUTTON, {8, 312, 113, 25}, window, 3, font);
    Child(0, L"Button", L"Original wiederherstellen", WS_TABSTOP | BS_PUSHBUTTON, {136, 312, 129, 25}, window,
          2, font);
    Child(0, L"Button", L"Glenmarra starten", WS_TABSTOP | BS_PUSHBUTTON, {280, 312, 113, 25}, window, 1,
          font);
    SetTimer(window, 1, 50, nullptr);
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
