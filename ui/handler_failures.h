// What becomes of a failure that escapes a window's handler: the handlers that skip failures skip it, the
// others end the program with a message. Nothing is thrown across the system's frames.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

#include "ui/message_boxes.h"

namespace quorbel::ui {

// Form_Load, btnpatchen_Click and btnrestore_Click skip a step that fails and go on with the next; the
// log and the flags then show how far the step got.
template <typename Step>
void SkippingFailure(Step step) noexcept {
    try {
        step();
    } catch (...) {  // skipped, as promised
    }
}

// Runs a window's handler. A failure of any kind that escapes it is shown to the player, and end(1) ends the
// program.
template <typename Handler>
LRESULT ShowingEveryFailure(HWND window, void (*end)(UINT), Handler handler) noexcept {
    try {
        return handler();
    } catch (const std::bad_alloc&) {
        ShowFatalFailure(window, ERROR_NOT_ENOUGH_MEMORY, nullptr);
    } catch (const std::exception& failure) {
        ShowFatalFailure(window, ERROR_INTERNAL_ERROR, failure.what());
    } catch (...) {
        ShowFatalFailure(window, ERROR_INTERNAL_ERROR, nullptr);
    }
    end(1);
    return 0;
}

}  // namespace quorbel::ui
