#pragma once
// What the program and the collector agree on about the program's main
// window: the class the collector finds it by, and the message by which the
// collector asks it to let go of the library file.
#include <windows.h>

namespace vellora {

// Sent by the collector: save, close and answer 1.
inline constexpr UINT WM_RELEASE_LIBRARY = WM_USER + 2001;
inline constexpr char kMainWindowClass[] = "VELLORA_SYSTEM";

}  // namespace vellora
