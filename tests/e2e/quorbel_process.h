// The real Quorbel.exe, started in a game folder and driven from outside as a player would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel::testing {

enum Control : int { kStartButton = 101, kRestoreButton, kInstallButton, kFrame, kLog = 106, kLeagues };

// Copies a program built beside this test (Quorbel.exe, glenmarra.exe, …) into folder.
void CopyBuiltProgram(std::string_view name, const std::string& folder);

// Polls until condition holds, pumping this thread's messages; false when it never does (generous limit).
bool Eventually(const std::function<bool()>& condition);
// True when condition holds all through a short grace period.
bool Throughout(const std::function<bool()>& condition);

// Key presses through the system's input queue, so that every program sees them.
void HoldKey(WORD virtualKey);
void PressWithControl(WORD virtualKey);

// The texts of a window's children, each followed by a line feed.
std::string ChildTexts(HWND window);

class QuorbelProcess {
  public:
    // Copies Quorbel.exe into appFolder and starts it with startFolder as its current folder.
    QuorbelProcess(const std::string& appFolder, const std::string& startFolder);
    ~QuorbelProcess();
    QuorbelProcess(const QuorbelProcess&) = delete;
    QuorbelProcess& operator=(const QuorbelProcess&) = delete;

    // The visible main window; nullptr when it never came up.
    HWND window() const noexcept { return window_; }
    HANDLE handle() const noexcept { return process_.hProcess; }
    bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    HWND control(int id) const;
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }

    // The entries of the league list or the lines of the log, as the control holds them.
    std::vector<std::string> items(int id) const;
    std::vector<std::string> leagues() const { return items(kLeagues); }
    std::vector<std::string> log() const { return items(kLog); }
    // The text the league list shows; empty when nothing is selected.
    std::string shownLeague() const;

    // Selects the entry as a pick in the drop-down list does, notification included.
    void pick(std::string_view league);
    // Presses the button and returns once its handler has run.
    void click(int id) { SendMessageW(control(id), BM_CLICK, 0, 0); }
    // A visible top-level dialog of this process (a message box); nullptr when none appears.
    HWND awaitDialog() const { return awaitTopLevel(L"#32770", nullptr); }

  private:
    HWND awaitTopLevel(const wchar_t* className, const wchar_t* caption) const;

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

}  // namespace quorbel::testing
