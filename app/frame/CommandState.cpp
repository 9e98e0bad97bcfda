#include "app/frame/CommandState.h"

#include <richedit.h>

#include <algorithm>
#include <initializer_list>

namespace vellora {

namespace {

bool In(UINT id, std::initializer_list<UINT> ids) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

}  // namespace

bool IsCommandAvailable(UINT id) {
  // File menu, recent libraries, the frame's own view toggles and help.
  if (id >= 57616 && id <= 57631) return true;
  return In(id, {57600, 57601, 57603, 57604, 32937, 32831, 57665,           // file
                 59392, 59393, 32887, 32888, 32886, 32898,                  // bars and panes
                 32883, 32884, 32881, 32882,                                // expand and collapse
                 32949, 57670, 32980, 32981, 32982, 57664,                  // focus, help, about
                 57643, 57644, 57634, 57635, 57637, 57642});                // text view editing
}

CommandUi EvaluateCommand(UINT id, const FrameState& state) {
  CommandUi ui = EvaluateRule(id, state);
  if (!IsCommandAvailable(id)) ui.enabled = false;
  return ui;
}

CommandUi EvaluateRule(UINT id, const FrameState& s) {
  CommandUi ui;
  const bool writable = !s.readOnly;
  const bool treeFolder = s.folderKind == 1;
  const bool listFolder = s.folderKind == 2;
  const bool itemSelected = treeFolder ? s.treeHasSelection : (listFolder && s.outbarHasGroup && s.outbarHasSelectedItem);

  switch (id) {
    case 57603: ui.enabled = s.documentModified || (s.textModified && writable); break;
    case 57637: ui.enabled = s.textCanPaste; break;
    case 57635:
    case 57634: ui.enabled = s.textHasSelection; break;
    case 57643: ui.enabled = s.textCanUndo; break;
    case 57644: ui.enabled = s.textCanRedo; break;
    case 32811: case 32815: case 32902: case 32931: case 32907: case 32908: case 32957:
    case 32831: case 32966: case 32793: case 32904: case 32905: case 32794:
      ui.enabled = writable;
      break;
    case 32934:
    case 32935: ui.enabled = writable && itemSelected; break;
    case 32860: ui.enabled = writable && listFolder && itemSelected; break;
    case 32923: ui.enabled = writable && listFolder; break;
    case 32774: case 32786: case 32788: case 32787: case 32775:
      ui.enabled = writable && treeFolder;
      break;
    case 32833: ui.enabled = treeFolder; break;
    case 32886:
      ui.enabled = treeFolder;
      ui.checked = s.outlookPaneShown;
      break;
    case 32898: ui.enabled = listFolder; break;
    case 32881: case 32882: case 32883: case 32884: case 32864: case 32863: case 32865:
      ui.enabled = s.treeVisible;
      break;
    case 32910:
    case 32911: ui.enabled = writable && s.outbarHasGroup && s.outbarHasSelectedItem; break;
    case 32936: ui.enabled = writable && s.outbarVisible && s.clipboardState != kClipboardEmpty; break;
    case 32885: ui.enabled = s.lastSearchKind != 0; break;
    case 32859: ui.enabled = writable && (s.textViewVisible || (treeFolder && !s.nodeListVisible)); break;
    case 32836: ui.enabled = writable && (s.webViewVisible || (treeFolder && !s.nodeListVisible)); break;
    case 32967: ui.enabled = s.textViewVisible || s.dataListVisible; break;
    case 32809: ui.checked = s.wordWrap; break;
    case 32802: ui.checked = s.bold; break;
    case 32803: ui.checked = s.italic; break;
    case 32804: ui.checked = s.underline; break;
    case 32805: ui.checked = s.alignment == PFA_LEFT; break;
    case 32806: ui.checked = s.alignment == PFA_CENTER; break;
    case 32807: ui.checked = s.alignment == PFA_RIGHT; break;
    case 59392: ui.checked = s.toolbarShown; break;
    case 59393: ui.checked = s.statusBarShown; break;
    case 32887: ui.checked = s.titleStripShown; break;
    case 32888: ui.checked = s.formatStripShown; break;
    case 32964: ui.checked = s.searchResultVisible; break;
    case 32854: ui.checked = s.readOnly; break;
    case 32974: ui.checked = s.webViewExists && s.webMode == 1; break;
    case 32975: ui.checked = s.webViewExists && s.webMode == 2; break;
    case 32976: ui.checked = s.webViewExists && s.webMode == 3; break;
    default: break;
  }
  return ui;
}

}  // namespace vellora
