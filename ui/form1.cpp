#include "ui/form1.h"

#include <utility>

#include "core/application_folder.h"
#include "resources/resource_ids.h"
#include "ui/containers.h"
#include "ui/form1_design.h"
#include "ui/game_launcher.h"
#include "ui/handler_failures.h"
#include "ui/message_boxes.h"
#include "ui/single_instance.h"

namespace quorbel::ui {
namespace {

constexpr UINT kLoadBanner = WM_APP + 1;
constexpr UINT kActivatePopup = WM_APP + 2;  // wParam: the window whose open message box gets the keyboard
static_assert(ScriptWatch::kEnded != kLoadBanner && ScriptWatch::kEnded != kActivatePopup);

}  // namespace

Form1::Form1(std::string appFolder) : controller_(std::move(appFolder)) {}

Form1::~Form1() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool Form1::create(int showCommand) {
    MainWindow made = CreateMainWindow(WindowProc, this);
    if (made.window == nullptr) {
        ShowFatalFailure(nullptr, made.error, nullptr);
        return false;
    }
    shortcuts_ = std::move(made.shortcuts);
    const UINT dpi = GetDpiForWindow(window_);
    controls_.create(window_, dpi);
    icons_.apply(window_, dpi);
    if (dpi != made.dpi) {
        PlaceWindow(window_, CentredOnPrimaryScreen(OuterSize(dpi)), dpi);
    }

    SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr);
    Form_Load();
    ShowWindow(window_, showCommand);
    SetForegroundWindow(window_);
    SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
    // Wine: decoding the GIF loads OLE, which takes a while; the window comes up first and the banner
    // follows through the message loop. On Windows OLE is quick to load and the order is not seen.
    PostMessageW(window_, kLoadBanner, 0, 0);
    return true;
}

bool Form1::preTranslate(MSG& message) {
    if (window_ == nullptr) {
        return false;
    }
    if (shortcuts_ && TranslateAcceleratorW(window_, shortcuts_.get(), &message)) {
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
    // A failure that escapes a handler ends the program with a message; nothing crosses the system's frame.
    return ShowingEveryFailure(window, form->endProgram_,
                               [&] { return form->handleMessage(message, wParam, lParam); });
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BringBackMessage()) {
        bringBack(window_);
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1) {
                Timer1_Timer();
            }
            return 0;
        case kLoadBanner:
            onLoadBanner();
            return 0;
        case kActivatePopup:
            Module1::ComeToFront(reinterpret_cast<HWND>(wParam));
            return 0;
        case ScriptWatch::kEnded:
            scriptStillRuns();  // notes the end
            return 0;
        case WM_SETCURSOR:
            return watch_.showBusyPointer(LOWORD(lParam)) ? TRUE
                                                          : DefWindowProcW(window_, message, wParam, lParam);
        case WM_ACTIVATE:
            controls_.keepFocus(LOWORD(wParam) != WA_INACTIVE);
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
            Unmark(window_);
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
    } else if (id == kCboLiga && code == CBN_DROPDOWN) {
        cboliga_DropDown();
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

void Form1::Form_Load() {
    SkippingFailure([this] { controller_.initialise(); });
    SkippingFailure([this] { showState(); });
}

// Escape in the open list puts the earlier entry back without a change notification; the controller must
// learn of it. Wine: the box then also shows the earlier entry while the new one stays selected, so the
// selection is set again for the box to show what an install would take; Windows shows the selected one.
void Form1::cboliga_CloseUp() {
    const HWND combo = control(kCboLiga);
    const LRESULT shown = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (shown < 0) {
        // Escaped before the first pick: the entries moved through were picked, so the last one is shown.
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

void Form1::cboliga_DropDown() {
    controls_.fitLeagueList(controller_.leagues(), GetDpiForWindow(window_));
}

void Form1::btnpatchen_Click() {
    const std::string& unlisted = controller_.unlistedInstalled();
    if (!unlisted.empty() && !AskToInstallOverUnlisted(window_, unlisted)) {
        return;
    }
    SkippingFailure([this] { controller_.install(); });
    showState();
}

void Form1::btnrestore_Click() {
    SkippingFailure([this] { controller_.restore(); });
    showState();
}

void Form1::btnstart_Click() {
    if (scriptStillRuns() && !AskToStartGameWhileScriptRuns(window_, controller_.script()->label())) {
        return;
    }
    const std::string& appFolder = controller_.applicationFolder();
    if (const platform::Outcome failure = LaunchGame(appFolder)) {
        ShowGameStartFailure(window_, GamePath(appFolder), *failure);
    }
}

// An end noted just now (its log line, the pointer, the watch let go) is shown at once.
bool Form1::scriptStillRuns() {
    if (controller_.script() == nullptr) {
        return false;
    }
    if (controller_.scriptRunning()) {
        return true;
    }
    showState();
    return false;
}

void Form1::MnuDateiItem_Click(short) {
    endProgram_(0);
}

void Form1::MnuInfoItem_Click(short) {
    ShowAboutBox(window_);
}

void Form1::Timer1_Timer() {
    if (Module1::KeyPressed(keys_, Module1::kRestoreKey)) {
        bringBack(Module1::FindMainWindow());
    }
}

// Restored or raised, and a message box it has open gets the keyboard back once that has happened.
void Form1::bringBack(HWND window) {
    Module1::RestoreWindow(window);
    PostMessageW(window_, kActivatePopup, reinterpret_cast<WPARAM>(window), 0);
}

void Form1::showState() {
    const HWND combo = control(kCboLiga);
    if (static_cast<std::size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0)) != controller_.leagues().size()) {
        controls_.fillLeagueList(controller_.leagues());
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
    log_.show(control(kLstLog), controller_.activityLog());
    const RunningScript* script = controller_.script();
    watch_.watch(window_, script != nullptr ? script->process.waitHandle() : -1);
}

void Form1::onLoadBanner() {
    banner_.load(GetModuleHandleW(nullptr), IDR_BANNER);
    SetPictureBitmap(control(kPicture1), banner_.bitmapFor(GetDpiForWindow(window_)));
}

// After a change of DPI or metrics: the banner at the new size, and the log measured again in its new font.
void Form1::refreshContent(UINT dpi) {
    SetPictureBitmap(control(kPicture1), banner_.bitmapFor(dpi));
    log_.showAgain(control(kLstLog), controller_.activityLog());
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form1::onDpiChanged(UINT dpi, const RECT& suggested) {
    controls_.layout(dpi);
    icons_.apply(window_, dpi);
    refreshContent(dpi);
    PlaceWindow(window_, {suggested.left, suggested.top}, dpi);
}

// Another caption or menu height gives the same client area another outer size.
void Form1::onMetricsChanged() {
    const UINT dpi = GetDpiForWindow(window_);
    controls_.layout(dpi);
    refreshContent(dpi);
    RECT frame;
    GetWindowRect(window_, &frame);
    PlaceWindow(window_, {frame.left, frame.top}, dpi);
}

}  // namespace quorbel::ui
