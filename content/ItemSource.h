#pragma once
// Where the content of the item shown in a view lives, and how to open it
// again for each read or write: a catalog item's (or tab page's) info and
// content streams inside its storage, or a tree leaf's stream with its
// content behind the 40-byte node record. Views keep an ItemSource while they
// show the item and open it for every operation; nothing stays open between.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/TreeNodes.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora {

// An item's elements, held open while they are used.
struct OpenedItem {
  StorageHandle outerStorage; // a tab page: the tab pages item around its storage
  OpenedNode node;            // a leaf: its stream and the storages above it
  StorageHandle itemStorage;  // a catalog item or tab page: its storage
  StreamHandle info;          // its info stream ("FolderItemInfo" / "TabPageItemInfo")
  StreamHandle content;       // its content stream (empty for a leaf: see Content())
  ULONG contentOffset = 0;    // where the content starts in Content(): 0, or 40 for a leaf
  bool transacted = false;    // itemStorage keeps the changes until Commit
  std::string contentName;    // the content stream's name in itemStorage

  const StreamHandle& Content() const { return content ? content : node.Stream(); }
  // The content stream positioned at the content's start.
  HRESULT SeekContent() const { return Content().Seek(contentOffset, STREAM_SEEK_SET); }
  // Ends the content after `written` bytes from its start (a shorter new
  // content leaves nothing of the older one behind).
  HRESULT TruncateContent(ULONGLONG written) const;
  // The content, all of it, from its start: written in one step and cut
  // where it ends.
  HRESULT ReplaceContent(const std::string& bytes);
  // Hands the changes of an update to the file, all of them together (a
  // leaf, written in place, has nothing to commit).
  HRESULT Commit() const;
};

class ItemSource {
 public:
  virtual ~ItemSource() = default;
  virtual uint16_t Kind() const = 0;
  virtual const std::string& Title() const = 0;
  // Opens the item's elements for reading or for writing.
  virtual HRESULT Open(bool forWriting, OpenedItem& out) const = 0;
  // Opens the item for one update that reaches the file whole or not at all:
  // nothing changes until OpenedItem::Commit, and an update given up before
  // it leaves the old content. A leaf has no storage of its own and is
  // written in place.
  virtual HRESULT OpenForUpdate(OpenedItem& out) const { return Open(true, out); }
};

// A catalog item (or a tab page) inside its container storage. The container
// must stay open while the source is used (the document's current folder).
class CatalogItemSource : public ItemSource {
 public:
  CatalogItemSource(const StorageHandle& container, std::string elementName, uint16_t kind, std::string title,
                    const char* infoStream = kFolderItemInfo, const char* contentStream = kFolderItemContent);
  uint16_t Kind() const override { return kind_; }
  const std::string& Title() const override { return title_; }
  const std::string& ElementName() const { return elementName_; }
  const StorageHandle& Container() const { return container_; }
  HRESULT Open(bool forWriting, OpenedItem& out) const override;
  HRESULT OpenForUpdate(OpenedItem& out) const override;

 private:
  HRESULT OpenWith(DWORD mode, bool forWriting, OpenedItem& out) const;

  const StorageHandle& container_;
  std::string elementName_;
  uint16_t kind_;
  std::string title_;
  const char* infoStream_;
  const char* contentStream_;
};

// A page of a tab pages item: the item storage is opened from its folder for
// each operation, and the page storage inside it, with the tab page's stream
// names. The folder must stay open while the source is used.
class TabPageSource : public ItemSource {
 public:
  TabPageSource(const StorageHandle& folder, std::string itemName, std::string pageName, uint16_t kind,
                std::string title);
  uint16_t Kind() const override { return kind_; }
  const std::string& Title() const override { return title_; }
  const std::string& PageName() const { return pageName_; }
  HRESULT Open(bool forWriting, OpenedItem& out) const override;
  HRESULT OpenForUpdate(OpenedItem& out) const override;

 private:
  HRESULT OpenWith(DWORD pageMode, bool forWriting, OpenedItem& out) const;

  const StorageHandle& folder_;
  std::string itemName_;
  std::string pageName_;
  uint16_t kind_;
  std::string title_;
};

// A tree leaf, found from its tree folder by the element names of its path.
class LeafNodeSource : public ItemSource {
 public:
  LeafNodeSource(const StorageHandle& folder, std::vector<std::string> path, uint16_t kind, std::string title);
  uint16_t Kind() const override { return kind_; }
  const std::string& Title() const override { return title_; }
  const std::vector<std::string>& Path() const { return path_; }
  HRESULT Open(bool forWriting, OpenedItem& out) const override;

 private:
  const StorageHandle& folder_;
  std::vector<std::string> path_;
  uint16_t kind_;
  std::string title_;
};

}  // namespace vellora
