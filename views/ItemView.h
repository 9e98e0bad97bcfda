#pragma once
// The one way the frame talks to an item view: its window, loading the shown
// item from its source, storing it back, its modified and read-only states,
// its own command map with the enabling of those commands, and what the
// frame's commands ask of whatever view is shown (find, the selected text,
// the place in the item for locations, the library's look, keys). A view
// knows nothing of the frame: it is given a host (ViewWiring) that says how
// it shows menus and reports what it wrote and what changed, so it can sit
// in the item pane or in another view's page area (the tab pages view).
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "content/CommandTable.h"
#include "content/ItemSource.h"
#include "content/LibraryLook.h"
#include "views/PagePrinting.h"

namespace vellora {

// What a view is given by whoever hosts it; each part may be left empty.
struct ViewWiring {
  // Shows a context menu at a screen point; the host tracks it with its
  // command bar, which sends the chosen command back.
  std::function<void(HMENU popup, POINT screen)> trackPopup;
  // Called after every change that reached the library file.
  std::function<void()> onStored;
  // The enabled and checked state of a command as the menus show it now
  // (for controls of the view's own that send commands, such as a toolbar).
  std::function<CommandUi(UINT id)> queryCommand;
};

class ItemView {
 public:
  virtual ~ItemView() = default;

  // What the host gave the view (set before Create).
  ViewWiring wiring;

  // The kind of item the view shows (kItemText, kItemDataList, ...).
  virtual ItemKind Kind() const = 0;
  // Creates the view's window, hidden, as a child of parent.
  virtual bool Create(HWND parent) = 0;
  // The window the host puts into its pane (the whole view, with any strip
  // of its own).
  virtual HWND Window() const = 0;
  // Where the keyboard goes when the view gets the focus.
  virtual HWND FocusWindow() const { return Window(); }

  // Shows the item of source, which stays valid until the next Load or Clear.
  // False when its content could not be read (the view is then empty, or
  // holds what could be read, read-only).
  virtual bool Load(const ItemSource& source) = 0;
  // Why the last Load did not show the item as stored (empty when it did).
  // A view that could not read its item whole holds it read-only, and the
  // host never stores it over.
  virtual std::string LoadProblem() const { return {}; }
  // A remark on how the last item is shown although it loaded (empty: none).
  virtual std::string LoadRemark() const { return {}; }
  // Writes edits not yet stored back into the shown item. True when there
  // was nothing to write or it was written; false when writing failed.
  virtual bool Store() = 0;
  // True while the view holds edits that Store would write.
  virtual bool Modified() const = 0;
  // Forgets the shown item (after storing what must be stored).
  virtual void Clear() = 0;
  // True while an item is shown.
  virtual bool HasItem() const { return true; }
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
  // The idle pass: the view brings the controls of its own (a toolbar, font
  // boxes) in step with the commands' state.
  virtual void UpdateCommandUi() {}

  // The view that shows the item's content: itself, or the page view a
  // container view shows now.
  virtual const ItemView& ActiveView() const { return *this; }
  // The page of its item the view shows (a tab page's title; empty for
  // views without pages), and choosing a page by its element name or title.
  virtual std::string ShownPage() const { return {}; }
  virtual bool ChoosePage(const std::string& nameOrTitle) {
    (void)nameOrTitle;
    return false;
  }
  // Finds text from the selection on and selects it; textOnly: only in
  // views that show text.
  virtual bool Find(const std::string& text, bool textOnly) {
    (void)text;
    (void)textOnly;
    return false;
  }
  // Opens the view's own find dialog (a browser's); false when it has none.
  virtual bool OpenOwnFind() { return false; }
  // The selected text, or empty.
  virtual std::string SelectedText() const { return {}; }
  // The whole of what the view shows as plain text in the system code page,
  // lines ending in CR LF; false for views that show no text.
  virtual bool PlainText(std::string& out) const {
    (void)out;
    return false;
  }
  // Where the view is in its item, for a location path (false: no such place).
  virtual bool Position(long& index) const {
    (void)index;
    return false;
  }
  // Goes to a place Position gave.
  virtual void GoToPosition(long index) { (void)index; }
  // The library's look (each view takes its own parts of it); false when a
  // picture it names could not be loaded.
  virtual bool ApplyLook(const LibraryLook& look) {
    (void)look;
    return true;
  }
  // An interface layout's rules for the view's own panes.
  virtual void ApplyLayout(const InterfaceLayout& layout) { (void)layout; }
  // Stops what the view still does on its own (a page loading) before
  // another page of a container is shown.
  virtual void StopActivity() {}
  // The pages the view prints and previews on that printer; null for a
  // view that has none of its own.
  virtual std::unique_ptr<PageProvider> PrintPages(const PrinterSettings& printer) const {
    (void)printer;
    return nullptr;
  }
  // Whether the view prints and previews with a control's own commands (a
  // browser's, which asks for its printer itself) instead of giving pages.
  virtual bool PrintsOwn() const { return false; }
  // Starts that print or preview; false when the control refused it.
  virtual bool PrintOwn(bool preview) const {
    (void)preview;
    return false;
  }
  // Keys offered to the view before the accelerators; true when it took one.
  virtual bool PreTranslate(MSG& message) {
    (void)message;
    return false;
  }
};

}  // namespace vellora
