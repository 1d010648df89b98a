// One tool per game folder. Two windows could each install a dataset over the other's, and the second
// install's backup would take the first dataset for the game's own data.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/handles_win.h"

namespace quorbel::ui {

// What a second start sends the running tool's window: come back to the front, as on the hotkey.
UINT BringBackMessage();

// Takes the mark away again, before the window is destroyed.
void Unmark(HWND window);

class SingleInstance {
  public:
    // Claims the game folder for this process, through a mutex the system removes with the process, so
    // that a crash never leaves a claim behind.
    explicit SingleInstance(const std::string& appFolder);

    // False when a tool of the same game folder runs already.
    bool first() const noexcept { return first_; }
    // Marks the window as this folder's tool, for a second start to find among other folders' tools.
    void mark(HWND window) const;
    // Asks the running tool's window, once it is there, to come back to the front.
    void bringBackTheRunningOne() const;

  private:
    std::uint64_t key_;
    win::UniqueHandle mutex_;
    bool first_ = true;
};

}  // namespace quorbel::ui
