// The main window: its controls from the design table, the wiring of its events to short handlers,
// and the switch controller whose state it shows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <array>
#include <string>

#include "core/switch_controller.h"
#include "ui/banner.h"

namespace quorbel::ui {

class Form1 {
  public:
    using EndProgram = void (*)(UINT exitCode);

    explicit Form1(std::string appFolder);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls hidden, runs Form_Load, then shows and activates the window.
    bool create(int showCommand = SW_SHOWNORMAL);

    // Keyboard shortcuts and tab navigation for the message loop; true when the message was used.
    bool preTranslate(MSG& message);

    HWND window() const noexcept { return window_; }
    HWND control(int id) const noexcept;
    const SwitchController& controller() const noexcept { return controller_; }
    UINT dpi() const noexcept { return dpi_; }

    // "&Ende" ends the process at once; tests put a stand-in here.
    void setEndProgram(EndProgram end) noexcept { endProgram_ = end; }

  private:
    static constexpr UINT kLoadBanner = WM_APP + 1;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    void cboliga_Click();
    void cboliga_CloseUp();
    void btnpatchen_Click();
    void btnrestore_Click();
    void btnstart_Click();
    void MnuDateiItem_Click(short index);
    void MnuInfoItem_Click(short index);
    void Timer1_Timer();

    void onCommand(int id, int code, HWND from);
    void onActivate(bool active);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void onMetricsChanged();
    void onLoadBanner();
    // The system's description of code when description is null.
    void reportFatal(DWORD code, const char* description) noexcept;

    void createControls(UINT dpi);
    HMENU createMenu();
    void placeControls(UINT dpi);
    void applyLayout(UINT dpi);
    void refreshContent();
    void applyIcons(UINT dpi);
    void moveWindow(int left, int top);
    void showState();
    void appendLogLines();

    SwitchController controller_;
    HWND window_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HFONT font_ = nullptr;          // the system's message font, for the league list and the log
    HFONT buttonFont_ = nullptr;    // the same, smaller where a caption would not fit its button
    std::array<HICON, 2> icons_{};  // big and small, at the window's DPI
    Banner banner_;
    UINT dpi_ = 96;
    HWND savedFocus_ = nullptr;
    std::size_t shownLogLines_ = 0;
    int logExtent_ = 0;
    EndProgram endProgram_ = ExitProcess;
};

}  // namespace quorbel::ui
