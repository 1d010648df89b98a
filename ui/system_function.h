// A function of a system DLL that only some paths need, loaded on first use and only from the system folder,
// so that neither the import table nor the start-up carries the DLL.
#pragma once

#include <windows.h>

namespace quorbel::ui {

// Null when the DLL or the function is missing; the DLL stays loaded for the life of the process.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace quorbel::ui
