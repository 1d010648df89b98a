// The message boxes of the main window: the about box of "&Info", the questions asked before a step that may
// cost the game's data, the game that would not start, and a failure that ends the program.
#pragma once

#include <windows.h>

#include <string>

#include "core/failure.h"

namespace quorbel::ui {

// Five lines joined by a single carriage return: name and version, idea, programming, empty, closing line.
std::wstring AboutText();

// Modal to the window, titled "Info", with the information icon and a single OK button.
void ShowAboutBox(HWND owner);

// "Glenmarra starten" while a script of ours still runs: true only when the player answers yes.
// script: the running script's label, "inst.bat von '<dataset>'".
bool AskToStartGameWhileScriptRuns(HWND owner, const std::string& script);

// "Datensatz setzen" while quorbel.ini names a dataset that is not listed: true only on yes.
bool AskToInstallOverUnlisted(HWND owner, const std::string& unlisted);

// Names the game's path and the system's reason; the tool runs on afterwards.
void ShowGameStartFailure(HWND owner, const std::string& gamePath, const platform::Failure& failure);

// The failure's number and description, or the system's description of the number when description is
// null; the caller ends the program afterwards.
void ShowFatalFailure(HWND owner, DWORD code, const char* description) noexcept;

}  // namespace quorbel::ui
