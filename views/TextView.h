#pragma once
// The text view: the editor of Text items (catalog items and tree leaves),
// one rich edit control reused for every such item. Its content is RTF,
// streamed in from the item's content stream and streamed back out when it
// is left modified or the library is saved.
#include <windows.h>

#include <string>

#include "views/ItemView.h"

namespace vellora {

class TextView : public ItemView {
 public:
  TextView() = default;
  ~TextView() override;

  ViewKind Kind() const override { return kViewText; }
  bool Create(HWND parent) override;
  HWND Window() const override { return edit_; }
  bool Load(const ItemSource& source) override;
  bool Store() override;
  bool Modified() const override;
  void Clear() override;
  void SetReadOnly(bool readOnly) override;
  bool HandleCommand(UINT id) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;

  // The selection's face name and height in twips, for the format strip.
  bool SelectionFont(std::string& face, LONG& twips) const;
  // The selected text, or empty.
  std::string SelectedText() const;
  // True while an item is shown.
  bool HasItem() const { return source_ != nullptr; }

 private:
  HWND edit_ = nullptr;
  const ItemSource* source_ = nullptr;
  bool readOnly_ = false;
};

}  // namespace vellora
