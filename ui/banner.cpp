#include "ui/banner.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <utility>

#include "ui/form1_design.h"
#include "ui/system_function.h"

namespace quorbel::ui {
namespace {

// OLE is loaded only when the banner is decoded, after the window is up, so that start-up does not wait for
// it.
struct Ole {
    Ole() {
        const auto initialise = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
        createStream =
            SystemFunction<decltype(&CreateStreamOnHGlobal)>(L"ole32.dll", "CreateStreamOnHGlobal");
        loadPicture = SystemFunction<decltype(&OleLoadPicture)>(L"oleaut32.dll", "OleLoadPicture");
        // Wine decodes GIF through COM components, so the thread must be in an apartment.
        if (initialise != nullptr) {
            initialise(nullptr, COINIT_APARTMENTTHREADED);
        }
    }
    decltype(&CreateStreamOnHGlobal) createStream = nullptr;
    decltype(&OleLoadPicture) loadPicture = nullptr;
};

win::UniqueBitmap Decode(const void* bytes, DWORD size) {
    static const Ole ole;
    if (ole.createStream == nullptr || ole.loadPicture == nullptr) {
        return nullptr;
    }
    win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = memory ? GlobalLock(memory.get()) : nullptr;
    if (target == nullptr) {
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory.get());
    win::ComPtr<IStream> stream;
    if (FAILED(ole.createStream(memory.get(), TRUE, stream.put()))) {
        return nullptr;
    }
    memory.release();  // the stream frees it now
    win::ComPtr<IPicture> picture;
    OLE_HANDLE handle = 0;
    if (FAILED(
            ole.loadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.putVoid())) ||
        FAILED(picture->get_Handle(&handle))) {
        return nullptr;
    }
    // The picture owns its bitmap; keep a copy that outlives it.
    return win::UniqueBitmap(static_cast<HBITMAP>(
        CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0)));
}

}  // namespace

bool Banner::load(HINSTANCE instance, int resourceId) {
    const HRSRC resource =
        FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = resource != nullptr ? LoadResource(instance, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return false;
    }
    original_ = Decode(bytes, SizeofResource(instance, resource));
    BITMAP info{};
    if (!original_ || GetObjectW(original_.get(), sizeof info, &info) == 0) {
        original_.reset();
        return false;
    }
    size_ = {info.bmWidth, info.bmHeight};
    return true;
}

HBITMAP Banner::bitmapFor(UINT dpi) {
    if (!original_ || dpi == kDesignDpi) {
        return original_.get();
    }
    if (scaled_ && scaledDpi_ == dpi) {
        return scaled_.get();
    }
    const int width = ScaledPixels(size_.cx, dpi);
    const int height = ScaledPixels(size_.cy, dpi);
    const win::WindowDc screen(nullptr);
    const win::UniqueMemoryDc source(CreateCompatibleDC(screen.get()));
    const win::UniqueMemoryDc target(CreateCompatibleDC(screen.get()));
    win::UniqueBitmap scaled(CreateCompatibleBitmap(screen.get(), width, height));
    {
        const win::SelectedObject from(source.get(), original_.get());
        const win::SelectedObject to(target.get(), scaled.get());
        SetStretchBltMode(target.get(), HALFTONE);
        SetBrushOrgEx(target.get(), 0, 0, nullptr);
        StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, size_.cx, size_.cy, SRCCOPY);
    }
    scaled_ = std::move(scaled);
    scaledDpi_ = dpi;
    return scaled_.get();
}

}  // namespace quorbel::ui
