#include "ui/banner.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace quorbel::ui {
namespace {

template <typename Function>
Function Find(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// OLE is loaded only when the banner is decoded, after the window is up, so that start-up does not wait for
// it; and only from the system folder.
struct Ole {
    Ole() {
        const HMODULE ole32 = LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const HMODULE oleaut32 = LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const auto initialise = Find<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
        createStream = Find<decltype(&CreateStreamOnHGlobal)>(ole32, "CreateStreamOnHGlobal");
        loadPicture = Find<decltype(&OleLoadPicture)>(oleaut32, "OleLoadPicture");
        // Wine decodes GIF through COM components, so the thread must be in an apartment.
        if (initialise != nullptr) {
            initialise(nullptr, COINIT_APARTMENTTHREADED);
        }
    }
    decltype(&CreateStreamOnHGlobal) createStream = nullptr;
    decltype(&OleLoadPicture) loadPicture = nullptr;
};

HBITMAP Decode(const void* bytes, DWORD size) {
    static const Ole ole;
    if (ole.createStream == nullptr || ole.loadPicture == nullptr) {
        return nullptr;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return nullptr;
    }
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(ole.createStream(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP copy = nullptr;
    if (SUCCEEDED(ole.loadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                  reinterpret_cast<void**>(&picture)))) {
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Handle(&handle))) {
            // The picture owns its bitmap; keep a copy that outlives it.
            copy = static_cast<HBITMAP>(
                CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
        }
        picture->Release();
    }
    stream->Release();
    return copy;
}

}  // namespace

Banner::~Banner() {
    if (scaled_ != nullptr && scaled_ != original_) {
        DeleteObject(scaled_);
    }
    if (original_ != nullptr) {
        DeleteObject(original_);
    }
}

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
    if (original_ == nullptr || GetObjectW(original_, sizeof info, &info) == 0) {
        return false;
    }
    size_ = {info.bmWidth, info.bmHeight};
    return true;
}

HBITMAP Banner::bitmapFor(UINT dpi) {
    if (original_ == nullptr || dpi == 96) {
        return original_;
    }
    if (scaled_ != nullptr && scaledDpi_ == dpi) {
        return scaled_;
    }
    if (scaled_ != nullptr && scaled_ != original_) {
        DeleteObject(scaled_);
    }
    const int width = MulDiv(size_.cx, static_cast<int>(dpi), 96);
    const int height = MulDiv(size_.cy, static_cast<int>(dpi), 96);
    const HDC screen = GetDC(nullptr);
    const HDC source = CreateCompatibleDC(screen);
    const HDC target = CreateCompatibleDC(screen);
    scaled_ = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ oldSource = SelectObject(source, original_);
    const HGDIOBJ oldTarget = SelectObject(target, scaled_);
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, 0, width, height, source, 0, 0, size_.cx, size_.cy, SRCCOPY);
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    scaledDpi_ = dpi;
    return scaled_;
}

}  // namespace quorbel::ui
