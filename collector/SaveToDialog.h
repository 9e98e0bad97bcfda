// The modal "Save to" dialog: it opens the newest library itself, shows its
// tree folders and their nodes, and writes the capture as a new node or over
// an existing leaf.
#pragma once
#include <windows.h>

#include "collector/MainProgram.h"
#include "collector/PageCapture.h"

namespace vellora::collector {

// Shows the dialog over owner and returns when it has ended (OK, Run Main
// Program, Cancel or a failure while opening); everything it opened is let go.
// timings: how long a running main program is waited for when it holds the library.
void RunSaveToDialog(PageCapture& capture, HWND owner, const HandOverTimings& timings = {});

}  // namespace vellora::collector
