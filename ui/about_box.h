// The about box of the "&Info" menu.
#pragma once

#include <windows.h>

#include <string>

namespace quorbel::ui {

// Five lines joined by a single carriage return: name and version, idea, programming, empty, closing line.
std::wstring AboutText();

// Modal to the window, titled "Info", with the information icon and a single OK button.
void ShowAboutBox(HWND owner);

}  // namespace quorbel::ui
