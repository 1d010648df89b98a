// The banner image: a GIF resource decoded by the system (OleLoadPicture), kept as a bitmap per DPI.
#pragma once

#include <windows.h>

#include "core/handles_win.h"

namespace quorbel::ui {

class Banner {
  public:
    // Decodes the RCDATA resource; false when it is missing or cannot be decoded.
    bool load(HINSTANCE instance, int resourceId);
    // The image scaled to the DPI (unscaled at the design's), made once per DPI; null before load.
    HBITMAP bitmapFor(UINT dpi);

  private:
    win::UniqueBitmap original_;
    win::UniqueBitmap scaled_;
    UINT scaledDpi_ = 0;
    SIZE size_{};
};

}  // namespace quorbel::ui
