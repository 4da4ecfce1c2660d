#pragma once
// Window messages the stand-in's main window takes from tests.

#include <windows.h>

namespace standin {

// Posted with a number of milliseconds as wParam: the stand-in stops serving
// its messages for that long, as a hung mail client does.
inline constexpr UINT kHangMessage = WM_APP + 1;
// Sent with wParam 1: the DDE service refuses every conversation from then
// on, while the window goes on answering; wParam 0 accepts them again.
inline constexpr UINT kRefuseMessage = WM_APP + 2;

}  // namespace standin
