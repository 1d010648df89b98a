// The main window: the wiring of its events to short handlers named as the events, and the switch
// controller whose state it shows.
#pragma once

#include <windows.h>

#include <string>

#include "core/handles_win.h"
#include "core/switch_controller.h"
#include "ui/banner.h"
#include "ui/designed_controls.h"
#include "ui/log_box.h"
#include "ui/module1.h"
#include "ui/script_watch.h"
#include "ui/window_frame.h"

namespace quorbel::ui {

class Form1 {
  public:
    using EndProgram = void (*)(UINT exitCode);

    explicit Form1(std::string appFolder);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls hidden, runs Form_Load, then shows and activates the window. A
    // window that cannot be made is reported to the player, and false returned.
    bool create(int showCommand = SW_SHOWNORMAL);

    // Keyboard shortcuts and tab navigation for the message loop; true when the message was used.
    bool preTranslate(MSG& message);

    HWND window() const noexcept { return window_; }
    HWND control(int id) const { return controls_.find(id); }

    // "&Ende" ends the process at once; tests put a stand-in here.
    void setEndProgram(EndProgram end) noexcept { endProgram_ = end; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    void cboliga_Click();
    void cboliga_DropDown();
    void cboliga_CloseUp();
    void btnpatchen_Click();
    void btnrestore_Click();
    void btnstart_Click();
    void MnuDateiItem_Click(short index);
    void MnuInfoItem_Click(short index);
    void Timer1_Timer();

    void onCommand(int id, int code, HWND from);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void onMetricsChanged();
    void onLoadBanner();
    bool scriptStillRuns();
    void bringBack(HWND window);

    void refreshContent(UINT dpi);
    void showState();

    SwitchController controller_;
    HWND window_ = nullptr;
    DesignedControls controls_;
    win::UniqueAccelerators shortcuts_;
    WindowIcons icons_;
    Banner banner_;
    LogBox log_;
    Module1::KeyHistory keys_;
    ScriptWatch watch_;
    EndProgram endProgram_ = ExitProcess;
};

}  // namespace quorbel::ui
