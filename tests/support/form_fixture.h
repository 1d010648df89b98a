// The form in this process on a fresh application folder, and what this thread's message boxes showed.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "support/desktop.h"
#include "support/test_folder.h"
#include "ui/form1.h"

namespace quorbel::testing {

using Pixels = std::array<LONG, 4>;  // left, top, width, height

inline std::optional<UINT> ended;  // what "&Ende" passed on; nothing really ends

// The last message box this thread showed: its text and default button. It is answered at once with the
// answer, and the answer goes back to OK.
struct Box {
    std::wstring text;
    int defaultButton = 0;
};
inline std::optional<Box> box;
inline int answer = IDOK;
// Whether the window was already shown when the league list got its first entry.
inline std::optional<bool> shownBeforeFilled;

inline LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == CB_ADDSTRING && !shownBeforeFilled) {
        shownBeforeFilled = IsWindowVisible(GetAncestor(call->hwnd, GA_ROOT)) != FALSE;
    }
    if (call->message == WM_INITDIALOG) {
        box = Box{TextOf(GetDlgItem(call->hwnd, 0xFFFF)), DefaultButtonOf(call->hwnd)};
        PostMessageW(call->hwnd, WM_COMMAND, static_cast<WPARAM>(std::exchange(answer, IDOK)), 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The form goes first and the current folder comes back, so that the application folder can be removed.
class FormTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());
    }
    static void TearDownTestSuite() { UnhookWindowsHookEx(hook_); }
    void TearDown() override {
        form.reset();
        SetCurrentDirectoryW(saved_.c_str());
    }

    void SetUp() override {
        ended.reset();
        box.reset();
        shownBeforeFilled.reset();
    }
    HWND open() {
        form = std::make_unique<ui::Form1>(folder.path());
        form->setEndProgram([](UINT code) { ended = code; });
        EXPECT_TRUE(form->create());
        EXPECT_EQ(GetForegroundWindow(), form->window()) << "real keys would go elsewhere";
        return form->window();
    }
    HWND control(int id) const { return form->control(id); }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
    // Clicked, and the message box that follows answered.
    std::optional<Box> answered(int id, int reply) const {
        box.reset();
        answer = reply;
        click(id);
        answer = IDOK;
        return box;
    }
    Pixels inWindow(int id) const {
        RECT r;
        GetWindowRect(control(id), &r);
        MapWindowPoints(nullptr, form->window(), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    Filter loop() const {  // the program's own message loop
        return [this](MSG& message) { return form->preTranslate(message); };
    }

    TestFolder folder;
    std::unique_ptr<ui::Form1> form;

  private:
    static inline HHOOK hook_ = nullptr;
    const std::wstring saved_ = std::filesystem::current_path().wstring();
};

}  // namespace quorbel::testing
