#pragma once
// The item area of the main window: the title strip above the pane that
// shows the selected item in the view of its kind, or the area's own panes
// (the placeholder, the node list). The views are made through one table
// keyed by item kind, the first time an item of that kind is shown, and the
// area stores, lets go of and tells about the item shown.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "content/ItemSource.h"
#include "content/LibraryLook.h"
#include "platform/GdiHandles.h"
#include "controls/Splitter.h"
#include "views/ItemView.h"
#include "views/NodeListView.h"
#include "views/PlaceholderView.h"
#include "views/TitleStrip.h"

namespace vellora {

class ItemArea {
 public:
  using ViewFactory = std::function<std::unique_ptr<ItemView>()>;

  explicit ItemArea(UserPrompt& prompt);
  ~ItemArea();

  bool Create(HWND parent);
  // The area's window (the title strip over the pane).
  HWND Window() const { return titleSplitter_.Handle(); }
  Splitter& TitleSplitter() { return titleSplitter_; }
  TitleStrip& Title() { return titleStrip_; }
  NodeListView& NodeList() { return nodeList_; }
  const NodeListView& NodeList() const { return nodeList_; }

  // What every view is given when it is made.
  ViewWiring wiring;
  // Called after the pane shows something else.
  std::function<void()> onShownChanged;

  // The view table: how the view of item kinds is made (kinds given
  // together share one view, as a web link and a web archive do).
  void SetViewFactory(std::initializer_list<uint16_t> kinds, ViewFactory make);
  // The view of an item kind, made on first use; null for kinds without one.
  ItemView* ViewFor(uint16_t kind);
  // Every view made so far.
  void ForEachView(const std::function<void(ItemView&)>& visit);

  // Shows the item of source in the view of its kind (the placeholder for
  // kinds without a view); what was shown before is stored and left first.
  void ShowItem(std::unique_ptr<ItemSource> source, bool readOnly);
  // The placeholder in one of its forms, with an empty title.
  void ShowPlaceholder(PlaceholderView::Form form);
  // The node list with these rows.
  void ShowNodeList(const std::vector<NodeListView::Row>& rows);
  // Puts the view of a kind into the pane, empty (an interface layout).
  void BringIn(uint16_t kind);

  // The item view shown (null for the area's own panes), and what the pane
  // shows: the view's kind, kViewPlaceholder or kViewNodeList.
  ItemView* Shown() const { return shown_; }
  int ShownKind() const { return paneKind_; }
  HWND ShownWindow() const { return paneWindow_; }
  // Where the keyboard goes in the pane.
  HWND FocusWindow() const { return shown_ ? shown_->FocusWindow() : paneWindow_; }
  // True while the shown item could not be read: it is held read-only and
  // never stored over.
  bool ShownLoadFailed() const { return loadFailed_; }

  // Writes the shown view's edits (a store that wrote tells wiring.onStored);
  // false when they could not be written.
  bool StoreShown();
  // Stores and lets go of the shown item; false when its edits could not be written.
  bool ReleaseShown();
  // Lets go of the shown item without storing (what it held was saved or
  // given up before), and shows the placeholder.
  void ForgetShown();

  // The effective read-only state into the shown view.
  void SetReadOnly(bool readOnly);
  // The views' parts of a library's look, kept for views made later; false
  // when a picture it names could not be loaded.
  bool ApplyLook(const LibraryLook& look);
  // The views' parts of the library's look as they are now.
  const LibraryLook& ViewsLook() const { return viewLook_; }
  // An interface layout's rules for the title strip and the views' own panes.
  void ApplyLayout(const InterfaceLayout& layout);

 private:
  void PutIntoPane(HWND window, int kind);
  void TellAboutLoad(const ItemView& view, const std::string& title, bool loaded);

  UserPrompt& prompt_;
  Splitter titleSplitter_;
  TitleStrip titleStrip_;
  PlaceholderView placeholder_;
  NodeListView nodeList_;
  ImageListHandle nodeListImages_;
  struct TableRow {
    ViewFactory make;
    std::unique_ptr<ItemView> view;  // null until first used
  };
  std::vector<TableRow> table_;
  std::map<uint16_t, size_t> rowOfKind_;
  ItemView* shown_ = nullptr;
  std::unique_ptr<ItemSource> shownSource_;
  bool loadFailed_ = false;
  bool readOnly_ = false;
  HWND paneWindow_ = nullptr;
  int paneKind_ = kViewNone;
  std::string damagedNoteTold_;  // the damaged note the user was last told of
  LibraryLook viewLook_;         // the views' parts of the library's look
};

}  // namespace vellora
