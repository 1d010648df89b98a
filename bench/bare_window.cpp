// The floor Quorbel is measured against: the same kind of window with the same controls and timer,
// built with the same flags, and no logic at all.
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

HWND Child(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width, int height,
           HWND parent, int id) {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           nullptr);
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
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 402, 345};
    AdjustWindowRect(&frame, style, FALSE);
    const HWND window = CreateWindowW(L"QuorbelBenchBare", L"Bare", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                      instance, nullptr);
    Child(L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 13, 120, 377, 200, window, 1);
    Child(L"ListBox", L"", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, 13, 152, 377, 147, window, 2);
    Child(L"Button", L"Datensatz setzen", BS_PUSHBUTTON, 8, 312, 113, 25, window, 3);
    Child(L"Button", L"Original wiederherstellen", BS_PUSHBUTTON, 136, 312, 129, 25, window, 4);
    Child(L"Button", L"Glenmarra starten", BS_PUSHBUTTON, 280, 312, 113, 25, window, 5);
    SetTimer(window, 1, 50, nullptr);
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
