// The modal "Save to" dialog: it opens the newest library itself, shows its
// tree folders and their nodes, and writes the capture as a new node or over
// an existing leaf.
#pragma once
#include <windows.h>

#include "collector/PageCapture.h"

namespace vellora::collector {

// Shows the dialog over owner and returns when it has ended (OK, Run Main
// Program, Cancel or a failure while opening); everything it opened is let go.
void RunSaveToDialog(PageCapture& capture, HWND owner);

}  // namespace vellora::collector
