// The design of the main window as data: controls, captions, twips geometry, tab order and menus.
// The code that creates the window reads these tables; nothing else knows a position or a caption.
#pragma once

#include <windows.h>

#include <span>

namespace quorbel::ui {

enum class ControlKind { CommandButton, Frame, ListBox, ComboBox, PictureBox };

// Design geometry in twips: 15 twips are one pixel at 96 dots per inch.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDesign {
    ControlKind kind;
    int id;
    int containerId;  // 0: the window's client area
    const wchar_t* caption;
    TwipsRect rect;
    int tabIndex;
    bool enabledAtStart;
};

struct MenuDesign {
    const wchar_t* caption;
    int id;         // 0 for a top-level menu
    WORD shortcut;  // with Ctrl; 0 for none
    const wchar_t* shortcutText;
};

// Control IDs stay clear of IDOK and IDCANCEL, so that Enter and Escape press nothing.
enum ControlId : int {
    kBtnStart = 101,
    kBtnRestore = 102,
    kBtnPatchen = 103,
    kFrame1 = 104,
    kTimer1 = 105,
    kLstLog = 106,
    kCboLiga = 107,
    kPicture1 = 108,
    kMnuDateiItem = 201,
    kMnuInfoItem = 202,
};

inline constexpr wchar_t kCaption[] = L"Quorbel";
inline constexpr char kCaptionAnsi[] = "Quorbel";
inline constexpr wchar_t kWindowClass[] = L"QuorbelForm1";
inline constexpr char kWindowClassAnsi[] = "QuorbelForm1";

inline constexpr int kClientWidthTwips = 6030;
inline constexpr int kClientHeightTwips = 5175;
inline constexpr UINT kTimer1IntervalMs = 50;
inline constexpr COLORREF kFrame1BackColor = RGB(64, 64, 64);
// The scale the design was drawn at: 15 twips to the pixel.
inline constexpr UINT kDesignDpi = 96;

// In the order the design declares them.
std::span<const ControlDesign> Controls();
// Null for an id the design does not have.
const ControlDesign* FindDesign(int id);

// Top-level menus, each followed by its items (a top-level entry has id 0).
std::span<const MenuDesign> Menus();

int TwipsToPixels(int twips, UINT dpi);
// A length in pixels at the design's scale, at the DPI.
int ScaledPixels(int pixels, UINT dpi);
RECT PixelRect(const TwipsRect& rect, UINT dpi);

}  // namespace quorbel::ui
