// The program's entry: the main window for the folder of the running exe, and its message loop.
#include <windows.h>

#include "core/application_folder.h"
#include "ui/form1.h"
#include "ui/single_instance.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // The exe lives in a game folder full of other files: load system DLLs from the system only.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    const std::string appFolder = quorbel::ApplicationFolder();
    const quorbel::ui::SingleInstance instance(appFolder);
    if (!instance.first()) {
        instance.bringBackTheRunningOne();
        return 0;
    }
    quorbel::ui::Form1 form(appFolder);
    if (!form.create(showCommand)) {
        return 1;
    }
    instance.mark(form.window());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!form.preTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
