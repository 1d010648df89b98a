// The window's controls as the design table has them: made in tab order, found by id through their
// container, placed and given their fonts at a DPI.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/handles_win.h"

namespace quorbel::ui {

class DesignedControls {
  public:
    // Makes every control of the design in the window, where it stands at the DPI.
    void create(HWND window, UINT dpi);
    // Places every control and gives it its font for the DPI.
    void layout(UINT dpi);
    // The control with that id, looked up through its container; null for an id the design does not have.
    HWND find(int id) const;
    // Fills the league list with the names, in their order, at once.
    void fillLeagueList(const std::vector<std::string>& leagues) const;
    // Makes the list that drops down from the league list as wide as its widest entry, so that long names
    // that differ only at the end can be told apart; never narrower than the box, never wider than the
    // monitor's work area. Measured once, when the list first drops down, and again after a new layout:
    // with thousands of names, doing it at start would be most of start-up's own work.
    void fitLeagueList(const std::vector<std::string>& leagues, UINT dpi);
    // As in a dialog, the keyboard focus comes back to the control that had it when the window is active
    // again.
    void keepFocus(bool windowActive);

  private:
    void applyFonts(UINT dpi);
    void fitLeagueBoxHeight(UINT dpi) const;

    HWND window_ = nullptr;
    win::UniqueFont font_;        // the system's message font, for the league list and the log
    win::UniqueFont buttonFont_;  // the same, smaller where a caption would not fit its button
    bool leagueListFitted_ = false;
    HWND savedFocus_ = nullptr;
};

}  // namespace quorbel::ui
