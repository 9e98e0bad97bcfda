// The selection model: folder groups, their catalog items, the selection,
// the context menu's target, and the location built from them.
#include "content/LibrarySelection.h"

#include <utility>

#include "content/LocationPath.h"
#include "store/LibraryDocument.h"

namespace vellora {

namespace {

// An index into a list from which one entry at `removed` went.
int AfterRemoval(int index, int removed, int gone) {
  if (index == removed) return gone;
  return index > removed ? index - 1 : index;
}

int AfterSwap(int index, int first, int second) {
  if (index == first) return second;
  return index == second ? first : index;
}

}  // namespace

// ---- folders ------------------------------------------------------------------------

std::string LibrarySelection::GroupName(int group) const {
  return ValidGroup(group) ? groups_[static_cast<size_t>(group)].name : std::string();
}

uint16_t LibrarySelection::GroupKind(int group) const {
  return ValidGroup(group) ? groups_[static_cast<size_t>(group)].kind : 0;
}

int LibrarySelection::GroupNamed(const std::string& name) const {
  for (int g = 0; g < GroupCount(); ++g)
    if (groups_[static_cast<size_t>(g)].name == name) return g;
  return -1;
}

bool LibrarySelection::ItemsLoaded(int group) const {
  return ValidGroup(group) && groups_[static_cast<size_t>(group)].loaded;
}

void LibrarySelection::AddGroup(const std::string& name, uint16_t kind) {
  Group group;
  group.name = name;
  group.kind = kind;
  groups_.push_back(std::move(group));
  if (observer_) observer_->GroupAdded(GroupCount() - 1);
}

void LibrarySelection::RemoveGroup(int group) {
  if (!ValidGroup(group)) return;
  const bool wasSelected = group == selected_;
  groups_.erase(groups_.begin() + group);
  selected_ = AfterRemoval(selected_, group, -1);
  if (targetGroup_ >= 0) targetGroup_ = AfterRemoval(targetGroup_, group, kTargetGone);
  // A target item belonged to the selected group, which is gone.
  if (wasSelected && targetItem_ >= 0) targetItem_ = kTargetGone;
  if (observer_) observer_->GroupRemoved(group, wasSelected);
}

void LibrarySelection::RenameGroup(int group, const std::string& name) {
  if (!ValidGroup(group)) return;
  groups_[static_cast<size_t>(group)].name = name;
  if (observer_) observer_->GroupRenamed(group);
}

void LibrarySelection::SwapGroups(int first, int second) {
  if (!ValidGroup(first) || !ValidGroup(second) || first == second) return;
  std::swap(groups_[static_cast<size_t>(first)], groups_[static_cast<size_t>(second)]);
  selected_ = AfterSwap(selected_, first, second);
  if (targetGroup_ >= 0) targetGroup_ = AfterSwap(targetGroup_, first, second);
  if (observer_) observer_->GroupsSwapped(first, second);
}

void LibrarySelection::LoadItems(int group) {
  Group& folder = groups_[static_cast<size_t>(group)];
  if (folder.kind != kFolderCatalog || folder.loaded) return;
  // A folder that could not be read is tried again the next time; what
  // came of a failed read is not kept as its items.
  if (FAILED(LoadCatalogFolder(document_, folder.name, folder.items))) {
    folder.items.clear();
    return;
  }
  folder.loaded = true;
  folder.selectedItem = -1;
  if (observer_) observer_->ItemsLoaded(group);
}

void LibrarySelection::SelectGroup(int group) {
  if (!ValidGroup(group)) return;
  if (observer_) observer_->GroupLeaving(selected_);
  if (group != selected_ && targetItem_ >= 0) targetItem_ = kTargetGone;
  selected_ = group;
  document_.SelectCurrentFolder(groups_[static_cast<size_t>(group)].name);
  LoadItems(group);
  Group& folder = groups_[static_cast<size_t>(group)];
  if (folder.selectedItem < 0 && !folder.items.empty()) folder.selectedItem = 0;
  if (observer_) observer_->GroupSelected(group);
}

void LibrarySelection::Clear() {
  groups_.clear();
  selected_ = -1;
  targetGroup_ = targetItem_ = -1;
  if (observer_) observer_->GroupsCleared();
}

// ---- catalog items -------------------------------------------------------------------

const std::vector<CatalogItemEntry>& LibrarySelection::ItemsOf(int group) const {
  static const std::vector<CatalogItemEntry> none;
  return ValidGroup(group) ? groups_[static_cast<size_t>(group)].items : none;
}

int LibrarySelection::SelectedItemOf(int group) const {
  return ValidGroup(group) ? groups_[static_cast<size_t>(group)].selectedItem : -1;
}

void LibrarySelection::AddItem(const CatalogItemEntry& entry) {
  if (!ValidGroup(selected_)) return;
  std::vector<CatalogItemEntry>& items = groups_[static_cast<size_t>(selected_)].items;
  items.push_back(entry);
  if (observer_) observer_->ItemAdded(selected_, static_cast<int>(items.size()) - 1);
}

void LibrarySelection::RemoveItem(int item) {
  if (!ValidItem(item)) return;
  Group& folder = groups_[static_cast<size_t>(selected_)];
  folder.items.erase(folder.items.begin() + item);
  folder.selectedItem = AfterRemoval(folder.selectedItem, item, -1);
  if (targetItem_ >= 0) targetItem_ = AfterRemoval(targetItem_, item, kTargetGone);
  if (observer_) observer_->ItemRemoved(selected_, item);
}

void LibrarySelection::UpdateItem(int item, const CatalogItemEntry& entry) {
  if (!ValidItem(item)) return;
  CatalogItemEntry& held = groups_[static_cast<size_t>(selected_)].items[static_cast<size_t>(item)];
  CatalogItemEntry before = std::exchange(held, entry);
  if (observer_) observer_->ItemUpdated(selected_, item, before);
}

void LibrarySelection::SwapItems(int first, int second) {
  if (!ValidItem(first) || !ValidItem(second) || first == second) return;
  Group& folder = groups_[static_cast<size_t>(selected_)];
  std::swap(folder.items[static_cast<size_t>(first)], folder.items[static_cast<size_t>(second)]);
  folder.selectedItem = AfterSwap(folder.selectedItem, first, second);
  if (targetItem_ >= 0) targetItem_ = AfterSwap(targetItem_, first, second);
  if (observer_) observer_->ItemsSwapped(selected_, first, second);
}

void LibrarySelection::SelectItem(int item) {
  if (!ValidItem(item)) return;
  groups_[static_cast<size_t>(selected_)].selectedItem = item;
  if (observer_) observer_->ItemSelected(selected_, item);
}

void LibrarySelection::ForgetItems(const std::string& folderName) {
  for (int g = 0; g < GroupCount(); ++g) {
    Group& folder = groups_[static_cast<size_t>(g)];
    if (folder.name != folderName || g == selected_) continue;
    folder.loaded = false;
    folder.items.clear();
    folder.selectedItem = -1;
    if (observer_) observer_->ItemsForgotten(g);
  }
}

int LibrarySelection::ItemNamedBy(const std::string& component) const {
  std::vector<NamedSibling> siblings;
  siblings.reserve(Items().size());
  for (const CatalogItemEntry& item : Items()) siblings.push_back({item.elementName, item.title});
  return MatchComponent(siblings, component);
}

// ---- the target -----------------------------------------------------------------------

void LibrarySelection::SetTarget(int group, int item) {
  targetGroup_ = ValidGroup(group) ? group : -1;
  targetItem_ = ValidItem(item) ? item : -1;
}

void LibrarySelection::ClearTarget() { targetGroup_ = targetItem_ = -1; }

int LibrarySelection::TargetGroup() const {
  if (targetGroup_ == kTargetGone) return -1;
  return targetGroup_ >= 0 ? targetGroup_ : selected_;
}

int LibrarySelection::TargetItem() const {
  if (targetItem_ == kTargetGone) return -1;
  return targetItem_ >= 0 ? targetItem_ : SelectedItem();
}

// ---- the selected place ----------------------------------------------------------------

std::string LibrarySelection::CurrentLocation(const TreeAccess& tree, std::optional<long> textIndex) const {
  if (!ValidGroup(selected_)) return {};
  Location location;
  location.components.push_back(GroupName(selected_));
  if (FolderKind() == kFolderTree) {
    // Bookmarks and the last location name nodes by their titles.
    std::vector<std::string> titles;
    for (NodeRef node = tree.Selected(); node && tree.Data(node); node = tree.Parent(node))
      titles.push_back(tree.Title(node));
    location.components.insert(location.components.end(), titles.rbegin(), titles.rend());
    if (!titles.empty() && textIndex) {
      location.hasTextIndex = true;
      location.textIndex = *textIndex;
    }
  } else if (ValidItem(SelectedItem())) {
    location.components.push_back(Items()[static_cast<size_t>(SelectedItem())].elementName);
  }
  return FormatLocation(location);
}

SearchSelection LibrarySelection::CurrentSearchSelection(TreeAccess& tree) const {
  SearchSelection s;
  s.folderKind = FolderKind();
  s.viewKind = viewKind_;
  s.folderName = GroupName(selected_);
  if (s.folderKind == kFolderTree) {
    NodeRef node = tree.Selected();
    if (node && tree.Data(node)) {
      s.hasNode = true;
      s.nodePath = tree.Path(node);
      s.nodeTitle = tree.Title(node);
      tree.EnsureChildren(node);
      s.nodeHasChildren = tree.FirstChild(node) != nullptr;
    }
  } else if (s.folderKind == kFolderCatalog && ValidItem(SelectedItem())) {
    s.hasItem = true;
    s.itemElementName = Items()[static_cast<size_t>(SelectedItem())].elementName;
  }
  return s;
}

}  // namespace vellora
