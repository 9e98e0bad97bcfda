// The main window's ties to the text view: its context menu, its window in
// the pane under the format strip, the strip's boxes and colour drop-downs,
// and storing what it holds.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"

namespace vellora {

using namespace resources;

void MainFrame::ConnectTextView() {
  textView_.SetDefaultFace(texts_.TextOr(kTextFontFace, "Tahoma"));
  textView_.SetContextMenu(IDR_VIEW_POPUPS, VIEWPOP_POS_TEXT);
  // Context menus go through the command bar for their images and enabling.
  textView_.trackPopup = [this](HMENU popup, POINT screen) {
    commandBar_.TrackPopup(popup, screen.x, screen.y, Handle());
  };
  // A note swapped in as a whole comes in a new window of the same place.
  textView_.onWindowReplaced = [this](HWND window) {
    textSplitter_.SetPanes(formatStrip_.Handle(), window);
    textSplitter_.Layout();
  };
}

bool MainFrame::StoreItemView() {
  if (!shownItemView_) return true;
  if (shownLoadFailed_) return true;
  bool had = shownItemView_->Modified();
  bool stored = shownItemView_->Store();
  // What was stored waits in the folder's transaction: Save must commit it.
  if (had) document_->SetModified();
  return stored;
}

bool MainFrame::OnFormatStripCommand(UINT id, UINT code, HWND control) {
  if (!control || shownItemView_ != &textView_) return false;
  if (control == fontName_ || control == fontSize_) {
    if (code != CBN_SELCHANGE) return true;
    int index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    if (control == fontSize_) {
      textView_.ApplyFontSize(index);
    } else if (index != CB_ERR) {
      char face[LF_FACESIZE] = "";
      if (SendMessageA(control, CB_GETLBTEXTLEN, index, 0) < LF_FACESIZE)
        SendMessageA(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(face));
      textView_.ApplyFontName(face);
    }
    SetFocus(textView_.Window());
    return true;
  }
  // A colour button applies its remembered colour without asking.
  if (control == formatBar_ &&
      (id == ID_FORMAT_TEXT_COLOR || id == ID_FORMAT_HIGHLIGHT_COLOR || id == ID_TEXT_BACK_COLOR)) {
    RefreshFrameState();
    if (QueryCommandUi(id).enabled) textView_.HandleCommandFrom(id, control);
    return true;
  }
  return false;
}

void MainFrame::OnColorDropDown(const NMTOOLBARA& note) {
  if (shownItemView_ != &textView_) return;
  UINT id = static_cast<UINT>(note.iItem);
  RefreshFrameState();
  if (!QueryCommandUi(id).enabled) return;
  RECT button = {};
  SendMessageA(formatBar_, TB_GETRECT, id, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(formatBar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
  textView_.DropDownColor(id, button);
}

}  // namespace vellora
