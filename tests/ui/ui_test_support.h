// A form on a fresh application folder, the program's message loop, real keys, and a watcher that answers
// the message boxes the form shows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/test_folder.h"
#include "ui/form1.h"

namespace quorbel::testing {

// What "&Ende" or a fatal failure passed on since the last form was opened; nothing really ends.
std::optional<UINT>& EndedWith();

// The form goes first on the way out, its WM_QUIT is drained and the current folder comes back, so that
// the application folder can be removed.
struct AppUnderTest {
    AppUnderTest();
    ~AppUnderTest();
    ui::Form1& open();
    HWND control(int id) const { return form->control(id); }
    std::string path(std::string_view relative) const { return folder / relative; }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
    // Picks a league in cboliga and sends its notification to target (the form when null).
    void pick(LRESULT index, HWND target = nullptr) const;

    std::wstring savedFolder;
    TestFolder folder;
    std::unique_ptr<ui::Form1> form;
};

// The program's message loop; WM_QUIT is dropped. PumpUntil gives up after a generous while.
void Pump(ui::Form1* form, int milliseconds);
bool PumpUntil(ui::Form1* form, const std::function<bool()>& done);

// Real keyboard input: the keys go down in order, then up in reverse; or only down, or only up.
enum class Stroke { Tap, Down, Up };
void Keys(std::initializer_list<WORD> keys, Stroke stroke = Stroke::Tap);

// The entries of a combo box or the lines of a list box; a window's text or class name.
std::vector<std::wstring> Items(HWND box, bool combo);
std::wstring TextOf(HWND window, bool className = false);

// While it lives, the first message box this thread shows is answered with OK as soon as it is up.
struct MessageBoxWatcher {
    MessageBoxWatcher();
    ~MessageBoxWatcher();

    bool seen = false;
    std::wstring title;
    std::wstring text;  // of its visible static controls
    int buttons = 0;    // visible ones
    bool icon = false;
    HHOOK hook;
};

}  // namespace quorbel::testing
