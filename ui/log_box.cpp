#include "ui/log_box.h"

#include <algorithm>

#include "core/handles_win.h"
#include "core/platform_text.h"

namespace quorbel::ui {

void LogBox::show(HWND box, const std::vector<std::string>& lines) {
    if (shown_ >= lines.size()) {
        return;
    }
    {
        const win::WindowDc dc(box);
        const win::SelectedObject font(dc.get(),
                                       reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
        for (; shown_ < lines.size(); ++shown_) {
            const std::wstring line = platform::Widen(lines[shown_]);
            SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SIZE extent{};
            GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &extent);
            extent_ = std::max(extent_, static_cast<int>(extent.cx) + 8);
        }
    }
    SendMessageW(box, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent_), 0);
    SendMessageW(box, LB_SETTOPINDEX, lines.size() - 1, 0);
}

void LogBox::showAgain(HWND box, const std::vector<std::string>& lines) {
    shown_ = 0;
    extent_ = 0;
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    show(box, lines);
}

}  // namespace quorbel::ui
