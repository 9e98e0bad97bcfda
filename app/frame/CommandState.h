#pragma once
// Which commands of the main window are enabled and checked, as one function
// of the frame's state. Evaluated on every idle pass and before a menu opens.
#include <windows.h>

namespace vellora {

// Kinds of view shown in the item area besides the item kinds themselves.
enum ViewKind : int {
  kViewNone = 0,
  kViewText = 1,
  kViewDataList = 2,
  kViewWeb = 3,
  kViewFileFolder = 5,
  kViewTabPages = 6,
  kViewPlaceholder = 7,
  kViewNodeList = 8,
  kViewOleControl = 9,
};

// The item clipboard state that holds nothing to paste.
constexpr int kClipboardEmpty = 3;

struct FrameState {
  bool readOnly = false;
  int folderKind = 0;  // 1 tree folder, 2 list folder
  int viewKind = kViewNone;
  int clipboardState = kClipboardEmpty;
  int lastSearchKind = 0;
  bool documentModified = false;
  // The text view and its edit control.
  bool textModified = false;
  bool textCanPaste = false;
  bool textHasSelection = false;
  bool textCanUndo = false;
  bool textCanRedo = false;
  bool wordWrap = false;
  bool bold = false, italic = false, underline = false;
  int alignment = 0;  // PFA_LEFT, PFA_CENTER, PFA_RIGHT
  // What is selected and shown.
  bool treeHasSelection = false;
  bool outbarHasGroup = false;
  bool outbarHasSelectedItem = false;
  bool outbarVisible = true;
  bool treeVisible = false;
  bool textViewVisible = false;
  bool dataListVisible = false;
  bool webViewVisible = false;
  bool nodeListVisible = false;
  bool outlookPaneShown = true;
  bool toolbarShown = true;
  bool statusBarShown = true;
  bool titleStripShown = true;
  bool formatStripShown = true;
  bool searchResultVisible = false;
  bool webViewExists = false;
  int webMode = 0;  // 1 browse, 2 source, 3 edit
};

struct CommandUi {
  bool enabled = true;
  bool checked = false;
};

// Commands whose handlers exist in this build; every other command of the
// menus stays visible and greyed.
bool IsCommandAvailable(UINT id);

// The enabling and check rules alone, as if every handler existed.
CommandUi EvaluateRule(UINT id, const FrameState& state);
// The rules, with the commands this build cannot run yet greyed.
CommandUi EvaluateCommand(UINT id, const FrameState& state);

}  // namespace vellora
