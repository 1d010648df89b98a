// The banner image: a GIF resource decoded by the system (OleLoadPicture), kept as a bitmap per DPI.
#pragma once

#include <windows.h>

namespace quorbel::ui {

class Banner {
  public:
    Banner() = default;
    ~Banner();
    Banner(const Banner&) = delete;
    Banner& operator=(const Banner&) = delete;

    // Decodes the RCDATA resource; false when it is missing or cannot be decoded.
    bool load(HINSTANCE instance, int resourceId);
    // The image scaled to the DPI (unscaled at 96), made once per DPI.
    HBITMAP bitmapFor(UINT dpi);
    SIZE size() const noexcept { return size_; }

  private:
    HBITMAP original_ = nullptr;
    HBITMAP scaled_ = nullptr;
    UINT scaledDpi_ = 0;
    SIZE size_{};
};

}  // namespace quorbel::ui
