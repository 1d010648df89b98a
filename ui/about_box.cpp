#include "ui/about_box.h"

#include "version.h"

namespace quorbel::ui {

std::wstring AboutText() {
    return L"Quorbel " QUORBEL_VERSION_WTEXT L"\r"
           L"Idee: Lena Hofbauer\r"
           L"Programmierung: Jonas Feldkamp\r"
           L"\r"
           L"Viel Spa\u00DF mit Glenmarra!";
}

void ShowAboutBox(HWND owner) {
    MessageBoxW(owner, AboutText().c_str(), L"Info", MB_ICONINFORMATION);
}

}  // namespace quorbel::ui
