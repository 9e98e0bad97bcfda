// The collector's dealings with the main program: finding its window, asking
// it to let go of the library file, and starting it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "store/ProgramWindow.h"

namespace vellora::collector {

inline constexpr char kMainProgramFile[] = "Vellora.EXE";

// How long the main program may take to save and answer before the user is
// asked whether to wait on.
inline constexpr DWORD kReleaseTimeoutMs = 30000;

// The timings of handing the library over; tests shorten them.
struct HandOverTimings {
  DWORD answerMs = kReleaseTimeoutMs;  // for the answer to the release request
  DWORD exitMs = 15000;                // for the program's process to end
  int reopenAttempts = 10;             // opens of the file after that
  DWORD reopenPauseMs = 300;
};

enum class ReleaseAnswer {
  Released,  // answered 1: the program saved and is closing
  Refused,   // answered, but not 1
  NoAnswer,  // no answer in time: the request is still queued for the program
};

HWND FindMainProgram();
// Sends the release request once and waits at most timeoutMs for the answer.
ReleaseAnswer RequestRelease(HWND window, DWORD timeoutMs = kReleaseTimeoutMs);
// Waits (at most timeoutMs) for the process that owned window to end.
void WaitForProcessEnd(DWORD processId, DWORD timeoutMs);
// Tries open a few times, pausing between tries, while the program exits.
HRESULT OpenWithRetries(const std::function<HRESULT()>& open, int attempts, DWORD pauseMs);
// Starts folder + "Vellora.EXE" (folder ends with a backslash).
bool StartMainProgram(const std::string& folder);

}  // namespace vellora::collector

namespace vellora::collector {

// The newest library of the main program's recent list ("Document1"), or an
// empty path when there is none.
std::string NewestLibraryPath();

}  // namespace vellora::collector
