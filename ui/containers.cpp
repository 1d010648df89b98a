#include "ui/containers.h"

#include "core/handles_win.h"

namespace quorbel::ui {
namespace {

// Frame: paints its ground and an etched border, and hands its children's notifications to its parent,
// so that the window sees them as if the controls were its own.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            return DefWindowProcW(frame, message, wParam, lParam);
        }
        case WM_ERASEBKGND: {
            // The device context's own brush takes the colour, so the frame owns no brush.
            const auto dc = reinterpret_cast<HDC>(wParam);
            RECT client;
            GetClientRect(frame, &client);
            SetDCBrushColor(dc, static_cast<COLORREF>(GetWindowLongPtrW(frame, GWLP_USERDATA)));
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(frame, &paint);
            EndPaint(frame, &paint);
            return 0;
        }
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(GetParent(frame), message, wParam, lParam);
        default:
            return DefWindowProcW(frame, message, wParam, lParam);
    }
}

LRESULT CALLBACK PictureProc(HWND picture, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(picture, &paint);
            const auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(picture, GWLP_USERDATA));
            BITMAP info{};
            if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info) != 0) {
                const win::UniqueMemoryDc source(CreateCompatibleDC(dc));
                const win::SelectedObject selected(source.get(), bitmap);
                BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
            }
            EndPaint(picture, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(picture);
            return 0;
        default:
            return DefWindowProcW(picture, message, wParam, lParam);
    }
}

}  // namespace

void RegisterContainerClasses(HINSTANCE instance) {
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = instance;
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.lpszClassName = kFrameClass;
    RegisterClassExW(&frame);

    WNDCLASSEXW picture = frame;
    picture.lpfnWndProc = PictureProc;
    picture.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    picture.lpszClassName = kPictureClass;
    RegisterClassExW(&picture);
}

void SetPictureBitmap(HWND picture, HBITMAP bitmap) {
    SetWindowLongPtrW(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
    InvalidateRect(picture, nullptr, TRUE);
}

}  // namespace quorbel::ui
