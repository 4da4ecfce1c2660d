#pragma once
// Driving modal dialogs from a test: a command that opens a dialog blocks in
// the dialog's own message loop, so the test's steps run from a thread timer
// inside that loop, one after the other, each retried until it reports done.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace uitest {

// The visible top-level window of this thread with this class ("#32770" for
// the system's dialogs), or null.
HWND FindThreadWindow(const wchar_t* class_name);
// The child of `parent` whose caption is `caption` (CP932), or null.
HWND FindChildByText(HWND parent, const std::string& caption);
// A button clicked as by the mouse, once the current message is done.
void PostClick(HWND button);
// Esc pressed in the dialog `dialog`, at its focused control.
void PressEscape(HWND dialog);

using Step = std::function<bool()>;
// Runs `open` (which shows a modal dialog and returns when it has closed)
// while `steps` act on the dialog in turn. Returns how many steps were done.
std::size_t RunWithSteps(const std::function<void()>& open, std::vector<Step> steps);

// Saves a picture of the window as build/win/screenshots/<name>.bmp.
void SaveScreenshot(HWND window, const std::string& name);

}  // namespace uitest
