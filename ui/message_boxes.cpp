#include "ui/message_boxes.h"

#include "core/platform_text.h"
#include "ui/form1_design.h"
#include "version.h"

namespace quorbel::ui {
namespace {

// No is the default: Enter pressed by habit must not cost the game's data.
bool AskYesNo(HWND owner, const std::string& text) {
    return MessageBoxW(owner, platform::Widen(text).c_str(), kCaption,
                       MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES;
}

}  // namespace

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

bool AskToStartGameWhileScriptRuns(HWND owner, const std::string& script) {
    return AskYesNo(
        owner, script +
                   " läuft noch. Startet Glenmarra jetzt, liest es vielleicht halb kopierte Daten.\r\n\r\n"
                   "Besser warten, bis sich das Fenster des Skripts in der Taskleiste geschlossen "
                   "hat. Glenmarra trotzdem jetzt starten?");
}

bool AskToInstallOverUnlisted(HWND owner, const std::string& unlisted) {
    return AskYesNo(owner,
                    "Laut quorbel.ini ist noch '" + unlisted +
                        "' eingesetzt, doch sein Ordner fehlt. Ein neuer Datensatz darüber würde dessen "
                        "Daten für die des Spiels halten, und die Originaldaten gingen verloren.\r\n\r\n"
                        "Besser den Ordner zurücklegen und das Original wiederherstellen (siehe "
                        "LIESMICH.txt). Trotzdem jetzt setzen?");
}

void ShowGameStartFailure(HWND owner, const std::string& gamePath, const platform::Failure& failure) {
    const std::wstring text = L"Glenmarra konnte nicht gestartet werden.\r\n\r\n" +
                              platform::Widen(gamePath) + L"\r\n\r\n" + platform::Widen(FailureText(failure));
    MessageBoxW(owner, text.c_str(), kCaption, MB_ICONEXCLAMATION);
}

void ShowFatalFailure(HWND owner, DWORD code, const char* description) noexcept {
    // Out of memory the message may not be composable; the fixed text then needs nothing of ours.
    const wchar_t* text =
        L"Quorbel muss beendet werden.\r\n\r\nNicht gen\u00FCgend Arbeitsspeicher. (Fehler 8)";
    std::wstring composed;
    try {
        const platform::Failure failure =
            description != nullptr ? platform::Failure{code, description} : platform::DescribeError(code);
        composed = L"Quorbel muss beendet werden.\r\n\r\n" + platform::Widen(FailureText(failure));
        text = composed.c_str();
    } catch (...) {  // the fixed text stands
    }
    MessageBoxW(owner, text, kCaption, MB_ICONERROR);
}

}  // namespace quorbel::ui
