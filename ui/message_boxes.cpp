#include "ui/message_boxes.h"

#include "ui/form1_design.h"
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

void ShowGameStartFailure(HWND owner, const std::string& gamePath, const platform::Failure& failure) {
    const std::wstring text = L"Glenmarra konnte nicht gestartet werden.\r\n\r\n" +
                              platform::Widen(gamePath) + L"\r\n\r\nFehler " + std::to_wstring(failure.code) +
                              L": " + platform::Widen(failure.description);
    MessageBoxW(owner, text.c_str(), kCaption, MB_ICONEXCLAMATION);
}

void ShowFatalFailure(HWND owner, DWORD code, const char* description) noexcept {
    // Out of memory the message may not be composable; the fixed text then needs nothing of ours.
    const wchar_t* text =
        L"Quorbel muss beendet werden.\r\n\r\nFehler 8: Nicht gen\u00FCgend Arbeitsspeicher.";
    std::wstring composed;
    try {
        composed =
            L"Quorbel muss beendet werden.\r\n\r\nFehler " + std::to_wstring(code) + L": " +
            platform::Widen(description != nullptr ? description : platform::DescribeError(code).description);
        text = composed.c_str();
    } catch (...) {  // the fixed text stands
    }
    MessageBoxW(owner, text, kCaption, MB_ICONERROR);
}

}  // namespace quorbel::ui
