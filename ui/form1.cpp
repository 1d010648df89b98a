#include "ui/form1.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/platform.h"
#include "ui/about_box.h"
#include "ui/form1_design.h"
#include "ui/game_launcher.h"
#include "ui/module1.h"

namespace quorbel::ui {
namespace {

HWND ChildOf(HWND window, int id) {
    if (const HWND direct = GetDlgItem(window, id)) {
        return direct;
    }
    const HWND frame = GetDlgItem(window, kFrame1);
    return frame != nullptr ? GetDlgItem(frame, id) : nullptr;
}

}  // namespace

Form1::Form1(std::string appFolder) : controller_(std::move(appFolder)) {}

Form1::~Form1() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (accelerators_ != nullptr) {
        DestroyAcceleratorTable(accelerators_);
    }
    for (const HFONT font : {font_, buttonFont_}) {
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
    for (const HICON icon : icons_) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

HWND Form1::control(int id) const noexcept {
    return window_ != nullptr ? ChildOf(window_, id) : nullptr;
}

bool Form1::preTranslate(MSG& message) {
    if (window_ == nullptr) {
        return false;
    }
    if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message)) {
        return true;
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing is thrown across the system's frames: a failure that escapes a handler ends the program
    // with a message, as the handlers that do not skip failures promise.
    try {
        return form->handleMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        form->reportFatal(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    } catch (const std::exception& failure) {
        form->reportFatal(ERROR_INTERNAL_ERROR, failure.what());
    }
    return 0;
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case kLoadBanner:
            onLoadBanner();
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1) {
                Timer1_Timer();
            }
            return 0;
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS) {
                onMetricsChanged();
            }
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kTimer1);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = std::exchange(window_, nullptr);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Form1::onCommand(int id, int code, HWND from) {
    if (from == nullptr) {  // menu item or keyboard shortcut
        if (id == kMnuDateiItem) {
            MnuDateiItem_Click(0);
        } else if (id == kMnuInfoItem) {
            MnuInfoItem_Click(0);
        }
        return;
    }
    if (!IsWindowEnabled(from)) {
        return;  // a disabled button delivers no click, however it was asked to
    }
    if (id == kCboLiga && code == CBN_SELCHANGE) {
        cboliga_Click();
    } else if (id == kCboLiga && code == CBN_CLOSEUP) {
        cboliga_CloseUp();
    } else if (code == BN_CLICKED && id == kBtnPatchen) {
        btnpatchen_Click();
    } else if (code == BN_CLICKED && id == kBtnRestore) {
        btnrestore_Click();
    } else if (code == BN_CLICKED && id == kBtnStart) {
        btnstart_Click();
    }
}

void Form1::onActivate(bool active) {
    // Keyboard focus comes back to the control that had it, as in a dialog.
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
            savedFocus_ = focus;
        }
    } else if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        SetFocus(savedFocus_);
    }
}

void Form1::reportFatal(DWORD code, const char* description) noexcept {
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
    MessageBoxW(window_, text, kCaption, MB_ICONERROR);
    endProgram_(1);
}

void Form1::Form_Load() {
    try {
        controller_.initialise();
    } catch (...) {  // a start-up step that fails is skipped
    }
    try {
        showState();
    } catch (...) {  // the controls then show what they could take
    }
}

// Escape in the open list puts the earlier entry back without a change notification, and Wine shows it
// while keeping the new one selected: the box must show what an install would take.
void Form1::cboliga_CloseUp() {
    const HWND combo = control(kCboLiga);
    const LRESULT shown = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (shown < 0) {
        // Escaped before the first pick: the entries moved through were picked on the way and install is
        // offered, so the box shows the last of them again.
        showState();
        return;
    }
    if (shown != controller_.selectedIndex()) {
        cboliga_Click();
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
}

void Form1::cboliga_Click() {
    controller_.selectLeague(static_cast<int>(SendMessageW(control(kCboLiga), CB_GETCURSEL, 0, 0)));
    showState();
}

void Form1::btnpatchen_Click() {
    try {
        controller_.install();
    } catch (...) {  // skipped; the log and the flags show how far it got
    }
    showState();
}

void Form1::btnrestore_Click() {
    try {
        controller_.restore();
    } catch (...) {  // skipped; the log and the flags show how far it got
    }
    showState();
}

void Form1::btnstart_Click() {
    if (const platform::Outcome failure = LaunchGame(controller_.applicationFolder())) {
        const std::wstring text = L"Glenmarra konnte nicht gestartet werden.\r\n\r\n" +
                                  platform::Widen(GamePath(controller_.applicationFolder())) +
                                  L"\r\n\r\nFehler " + std::to_wstring(failure->code) + L": " +
                                  platform::Widen(failure->description);
        MessageBoxW(window_, text.c_str(), kCaption, MB_ICONEXCLAMATION);
    }
}

void Form1::MnuDateiItem_Click(short) {
    endProgram_(0);
}

void Form1::MnuInfoItem_Click(short) {
    ShowAboutBox(window_);
}

void Form1::Timer1_Timer() {
    if (Module1::KeyPressed(Module1::kRestoreKey)) {
        Module1::RestoreWindow(Module1::FindMainWindow());
    }
}

void Form1::showState() {
    const HWND combo = control(kCboLiga);
    const auto& leagues = controller_.leagues();
    if (static_cast<std::size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0)) != leagues.size()) {
        // Filled once, in one batch: no redraw per entry, storage reserved up front.
        SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        std::size_t characters = 0;
        for (const std::string& league : leagues) {
            characters += league.size() + 1;
        }
        SendMessageW(combo, CB_INITSTORAGE, leagues.size(),
                     static_cast<LPARAM>(characters * sizeof(wchar_t)));
        for (const std::string& league : leagues) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(league).c_str()));
        }
        SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(combo, nullptr, TRUE);
    }
    // Setting the selection raises no notification, so showing it never reaches selectLeague again.
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != controller_.selectedIndex()) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(controller_.selectedIndex()), 0);
    }

    const HWND focus = GetFocus();
    EnableWindow(combo, controller_.cboligaEnabled());
    EnableWindow(control(kBtnPatchen), controller_.btnpatchenEnabled());
    EnableWindow(control(kBtnRestore), controller_.btnrestoreEnabled());
    if (focus != nullptr && IsChild(window_, focus) && !IsWindowEnabled(focus)) {
        SetFocus(GetNextDlgTabItem(window_, focus, FALSE));  // a disabled control gives the focus on
    }
    appendLogLines();
}

void Form1::appendLogLines() {
    const HWND log = control(kLstLog);
    const auto& lines = controller_.activityLog();
    if (shownLogLines_ >= lines.size()) {
        return;
    }
    const HDC dc = GetDC(log);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    for (; shownLogLines_ < lines.size(); ++shownLogLines_) {
        const std::wstring line = platform::Widen(lines[shownLogLines_]);
        SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE extent{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        logExtent_ = std::max(logExtent_, static_cast<int>(extent.cx) + 8);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(log, dc);
    // Long failure lines can be scrolled to; the newest line is always in view.
    SendMessageW(log, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(logExtent_), 0);
    SendMessageW(log, LB_SETTOPINDEX, lines.size() - 1, 0);
}

}  // namespace quorbel::ui
