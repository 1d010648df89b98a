// The activity log's list box: it shows the controller's lines as they come, the newest always in view,
// and can be scrolled sideways to the end of the longest.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace quorbel::ui {

class LogBox {
  public:
    // Appends the lines the box does not show yet.
    void show(HWND box, const std::vector<std::string>& lines);
    // Shows every line again, measured in the box's font of now.
    void showAgain(HWND box, const std::vector<std::string>& lines);

  private:
    std::size_t shown_ = 0;
    int extent_ = 0;
};

}  // namespace quorbel::ui
