// The two control kinds the system lacks: a frame that holds controls on a coloured ground, and a
// picture box that shows a bitmap with a sunken border.
#pragma once

#include <windows.h>

namespace quorbel::ui {

inline constexpr wchar_t kFrameClass[] = L"QuorbelFrame";
inline constexpr wchar_t kPictureClass[] = L"QuorbelPicture";

// The background colour a frame is created with goes in its lpCreateParams as a COLORREF.
void RegisterContainerClasses(HINSTANCE instance);

// A picture box shows the bitmap given here, unscaled, at its top-left corner; the caller keeps it alive.
void SetPictureBitmap(HWND picture, HBITMAP bitmap);

}  // namespace quorbel::ui
