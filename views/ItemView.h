#pragma once
// What every item view offers the frame: its window, loading the shown item
// from its source, storing it back, its modified state, its read-only state,
// and its own command map with the enabling of those commands. The frame
// creates the text view at start and the others on first use, swaps the one
// it needs into the item pane, and routes the shown view's commands after the
// content commands and before the document's.
#include <windows.h>

#include "content/CommandTable.h"
#include "content/ItemSource.h"

namespace vellora {

class ItemView {
 public:
  virtual ~ItemView() = default;

  // The kind of item the view shows (kViewText, kViewDataList, ...).
  virtual ViewKind Kind() const = 0;
  // Creates the view's window, hidden, as a child of parent.
  virtual bool Create(HWND parent) = 0;
  // The window the frame puts into the item pane.
  virtual HWND Window() const = 0;
  // Where the keyboard goes when the view gets the focus.
  virtual HWND FocusWindow() const { return Window(); }

  // Shows the item of source, which stays valid until the next Load or Clear.
  // False when its content could not be read (the view is then empty).
  virtual bool Load(const ItemSource& source) = 0;
  // Writes edits not yet stored back into the shown item. True when there
  // was nothing to write or it was written; false when writing failed.
  virtual bool Store() = 0;
  // True while the view holds edits that Store would write.
  virtual bool Modified() const = 0;
  // Forgets the shown item (after storing what must be stored).
  virtual void Clear() = 0;
  virtual void SetReadOnly(bool readOnly) = 0;

  // The view's command map: true when the command is one of the view's.
  virtual bool HandleCommand(UINT id) = 0;
  // The same for a command that came from a control (a toolbar button):
  // some commands act differently there.
  virtual bool HandleCommandFrom(UINT id, HWND control) {
    (void)control;
    return HandleCommand(id);
  }
  // The enabled and checked state of one of the view's commands; false when
  // the command is not the view's.
  virtual bool QueryCommand(UINT id, CommandUi& ui) const = 0;
};

}  // namespace vellora
