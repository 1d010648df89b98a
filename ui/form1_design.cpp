#include "ui/form1_design.h"

#include <array>

namespace quorbel::ui {
namespace {

constexpr std::array kControls = {
    ControlDesign{
        ControlKind::CommandButton, kBtnStart, 0, L"Glenmarra starten", {4200, 4680, 1695, 375}, 6, true},
    ControlDesign{ControlKind::CommandButton,
                  kBtnRestore,
                  0,
                  L"Original wiederherstellen",
                  {2040, 4680, 1935, 375},
                  5,
                  false},
    ControlDesign{
        ControlKind::CommandButton, kBtnPatchen, 0, L"Datensatz setzen", {120, 4680, 1695, 375}, 4, false},
    ControlDesign{ControlKind::Frame, kFrame1, 0, L"", {75, 1560, 5880, 3015}, 1, true},
    ControlDesign{ControlKind::ListBox, kLstLog, kFrame1, L"", {120, 720, 5655, 2205}, 3, true},
    ControlDesign{ControlKind::ComboBox, kCboLiga, kFrame1, L"", {120, 240, 5655, 315}, 2, true},
    ControlDesign{ControlKind::PictureBox, kPicture1, 0, L"", {0, 0, 6060, 1560}, 0, true},
};

constexpr std::array kMenus = {
    MenuDesign{L"&Datei", 0, 0, nullptr},
    MenuDesign{L"&Ende", kMnuDateiItem, 'Q', L"Strg+Q"},
    MenuDesign{L"&Info", 0, 0, nullptr},
    MenuDesign{L"&Info", kMnuInfoItem, 'I', L"Strg+I"},
};

}  // namespace

std::span<const ControlDesign> Controls() {
    return kControls;
}

const ControlDesign* FindDesign(int id) {
    for (const ControlDesign& control : kControls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

std::span<const MenuDesign> Menus() {
    return kMenus;
}

int TwipsToPixels(int twips, UINT dpi) {
    constexpr int kTwipsPerInch = 1440;
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

int ScaledPixels(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

RECT PixelRect(const TwipsRect& rect, UINT dpi) {
    // Edges, not sizes, are scaled, so that neighbours stay flush at every scale.
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
            TwipsToPixels(rect.left + rect.width, dpi), TwipsToPixels(rect.top + rect.height, dpi)};
}

}  // namespace quorbel::ui
