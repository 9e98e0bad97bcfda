#pragma once
// What is selected in the open library, kept without any window: the folders
// in display order (a catalog folder with its items, read the first time it is
// selected), the selected folder and item, what a context menu was opened on,
// and what the item area shows. The main frame mirrors it into the outlook bar
// through SelectionObserver; the content commands reach it through
// SelectionContentHost.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "content/ContentHost.h"
#include "content/SearchCommands.h"

namespace vellora {

class LibraryDocument;

// Told after each change of the selection model; group and item indexes are
// those after the change unless said otherwise. Every call has an empty
// default, so an observer answers only what it shows.
class SelectionObserver {
 public:
  virtual ~SelectionObserver() = default;
  virtual void GroupAdded(int /*group*/) {}
  // group: the index it had. wasSelected: nothing is selected now, and what
  // was shown of the folder must go.
  virtual void GroupRemoved(int /*group*/, bool /*wasSelected*/) {}
  virtual void GroupRenamed(int /*group*/) {}
  virtual void GroupsSwapped(int /*first*/, int /*second*/) {}
  virtual void GroupsCleared() {}
  // Before another folder becomes current: what is shown still belongs to
  // the group left (-1 when none was selected), so its edits can be stored.
  virtual void GroupLeaving(int /*previous*/) {}
  // The group is selected and its folder current; a catalog group's items
  // are loaded and its selected item chosen (SelectedItem) already.
  virtual void GroupSelected(int /*group*/) {}
  // A catalog group's items were read from the file.
  virtual void ItemsLoaded(int /*group*/) {}
  // Another folder's items changed in the file: the group holds none until
  // it is selected again.
  virtual void ItemsForgotten(int /*group*/) {}
  virtual void ItemAdded(int /*group*/, int /*item*/) {}
  // item: the index it had.
  virtual void ItemRemoved(int /*group*/, int /*item*/) {}
  // before: the entry as it was (its icon may have changed).
  virtual void ItemUpdated(int /*group*/, int /*item*/, const CatalogItemEntry& /*before*/) {}
  virtual void ItemsSwapped(int /*group*/, int /*first*/, int /*second*/) {}
  // The item is the selected one and is to be shown.
  virtual void ItemSelected(int /*group*/, int /*item*/) {}
};

class LibrarySelection {
 public:
  explicit LibrarySelection(LibraryDocument& document) : document_(document) {}
  LibrarySelection(const LibrarySelection&) = delete;
  LibrarySelection& operator=(const LibrarySelection&) = delete;

  // One observer (null: none); it must outlive the model or be taken off.
  void SetObserver(SelectionObserver* observer) { observer_ = observer; }

  // ---- folders, in display order ----
  int GroupCount() const { return static_cast<int>(groups_.size()); }
  bool ValidGroup(int group) const { return group >= 0 && group < GroupCount(); }
  std::string GroupName(int group) const;
  uint16_t GroupKind(int group) const;
  // The group of this folder name (compared as the document compares folder
  // names: byte for byte), or -1.
  int GroupNamed(const std::string& name) const;
  // Whether a catalog group's items were read (and are still current).
  bool ItemsLoaded(int group) const;
  int SelectedGroup() const { return selected_; }
  // The kind of the selected folder, 0 when none is selected.
  uint16_t FolderKind() const { return GroupKind(selected_); }

  void AddGroup(const std::string& name, uint16_t kind);
  void RemoveGroup(int group);
  void RenameGroup(int group, const std::string& name);
  // The selection and the target follow their groups.
  void SwapGroups(int first, int second);
  // Makes the group's folder the document's current folder; a catalog
  // folder's items are read the first time, and its first item is selected
  // when none is.
  void SelectGroup(int group);
  // Forgets every group (the library is closed or another opened).
  void Clear();

  // ---- catalog items of the selected group, in display order ----
  const std::vector<CatalogItemEntry>& Items() const { return ItemsOf(selected_); }
  const std::vector<CatalogItemEntry>& ItemsOf(int group) const;
  // Each group keeps its own selected item; -1 when none.
  int SelectedItem() const { return SelectedItemOf(selected_); }
  int SelectedItemOf(int group) const;
  void AddItem(const CatalogItemEntry& entry);
  // A removed selected item leaves no item selected.
  void RemoveItem(int item);
  void UpdateItem(int item, const CatalogItemEntry& entry);
  // The selection and the target follow their items.
  void SwapItems(int first, int second);
  void SelectItem(int item);
  // Drops the items of every group of that folder except the selected one;
  // they are read again when the group is next selected.
  void ForgetItems(const std::string& folderName);
  // The item a location path component names: element name first, title
  // second; -1 when none.
  int ItemNamedBy(const std::string& component) const;

  // ---- what a context menu was opened on, while it runs ----
  // group or item -1 (or out of range): the command takes the selected one.
  void SetTarget(int group, int item);
  void ClearTarget();
  // The group and item a command is for: the target while a menu runs, else
  // the selection. A target removed by the command itself is -1, never
  // another group or item that took its place.
  int TargetGroup() const;
  int TargetItem() const;

  // ---- the item area ----
  int ShownViewKind() const { return viewKind_; }
  void SetShownViewKind(int kind) { viewKind_ = kind; }

  // ---- the selected place, for bookmarks, the last location and search ----
  // The folder, then the titles from the top of the tree down to its selected
  // node, or the catalog item's element name. textIndex, given while the text
  // view shows the node, is the first character it shows. Empty when no
  // folder is selected.
  std::string CurrentLocation(const TreeAccess& tree, std::optional<long> textIndex = {}) const;
  // What the search commands start from; the selected node's children are
  // read from the file on the way when they are not yet.
  SearchSelection CurrentSearchSelection(TreeAccess& tree) const;

 private:
  struct Group {
    std::string name;
    uint16_t kind = 0;
    bool loaded = false;
    std::vector<CatalogItemEntry> items;
    int selectedItem = -1;
  };
  // A target that was removed: the command that removed it finds none.
  static constexpr int kTargetGone = -2;

  bool ValidItem(int item) const { return item >= 0 && item < static_cast<int>(Items().size()); }
  void LoadItems(int group);

  LibraryDocument& document_;
  SelectionObserver* observer_ = nullptr;
  std::vector<Group> groups_;
  int selected_ = -1;
  int targetGroup_ = -1;
  int targetItem_ = -1;  // an item of the group selected when the target was set
  int viewKind_ = 0;
};

// Sets the target for the life of a context menu.
class ContextTarget {
 public:
  ContextTarget(LibrarySelection& selection, int group, int item) : selection_(selection) {
    selection_.SetTarget(group, item);
  }
  ~ContextTarget() { selection_.ClearTarget(); }
  ContextTarget(const ContextTarget&) = delete;
  ContextTarget& operator=(const ContextTarget&) = delete;

 private:
  LibrarySelection& selection_;
};

// The folder and item part of ContentHost answered by a selection model; the
// windows' side (the tree, the shown item) is left to the one who shows them.
class SelectionContentHost : public ContentHost {
 public:
  explicit SelectionContentHost(LibrarySelection& selection) : selection_(selection) {}

  int GroupCount() const override { return selection_.GroupCount(); }
  std::string GroupName(int group) const override { return selection_.GroupName(group); }
  uint16_t GroupKind(int group) const override { return selection_.GroupKind(group); }
  int SelectedGroup() const override { return selection_.SelectedGroup(); }
  int TargetGroup() const override { return selection_.TargetGroup(); }
  void AddGroup(const std::string& name, uint16_t kind) override { selection_.AddGroup(name, kind); }
  void RemoveGroup(int group) override { selection_.RemoveGroup(group); }
  void RenameGroup(int group, const std::string& name) override { selection_.RenameGroup(group, name); }
  void SwapGroups(int first, int second) override { selection_.SwapGroups(first, second); }
  void SelectGroup(int group) override { selection_.SelectGroup(group); }

  const std::vector<CatalogItemEntry>& Items() const override { return selection_.Items(); }
  int SelectedItem() const override { return selection_.SelectedItem(); }
  int TargetItem() const override { return selection_.TargetItem(); }
  void AddItem(const CatalogItemEntry& entry) override { selection_.AddItem(entry); }
  void RemoveItem(int item) override { selection_.RemoveItem(item); }
  void UpdateItem(int item, const CatalogItemEntry& entry) override { selection_.UpdateItem(item, entry); }
  void SwapItems(int first, int second) override { selection_.SwapItems(first, second); }
  void SelectItem(int item) override { selection_.SelectItem(item); }
  void ForgetItems(const std::string& folderName) override { selection_.ForgetItems(folderName); }

  int ShownViewKind() const override { return selection_.ShownViewKind(); }

 protected:
  LibrarySelection& selection_;
};

}  // namespace vellora
