#pragma once
// "Add Information Item" (dialog 223): a title, the kind of item, and what
// the kind needs: a data list's column titles, a web page's address or an OLE
// control's id. The lower group follows the chosen kind.
#include <windows.h>

#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "platform/ModalDialog.h"
#include "store/Services.h"

namespace vellora {

class AddItemDialog : public ModalDialog {
 public:
  static constexpr size_t kMaxTitleBytes = 31;
  static constexpr size_t kMaxColumnBytes = 127;
  static constexpr size_t kMaxAddressBytes = 259;
  static constexpr int kColumnRowHeight = 20;

  // caption empty: the string table's own; without tab pages the "Tabpages"
  // button is hidden (a page of a tab pages item cannot hold another).
  AddItemDialog(const TextSource& texts, std::string caption = {}, bool allowTabPages = true);
  bool Ask(HWND owner, NewItemRequest& answer);

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  uint16_t CheckedKind() const;
  void Layout();
  void AddColumn();
  void DeleteColumn();
  void MoveColumn(int delta);
  void Browse();
  void Warn(const std::string& text, const std::string& caption, UINT icon);
  std::vector<std::string> Columns() const;

  const TextSource& texts_;
  std::string caption_;
  bool allowTabPages_;
  NewItemRequest answer_;
  // Where the lower group and the buttons sit in the full layout (pixels).
  RECT full_ = {};
  int okTop_ = 0, lowerTop_ = 0, lowerBottom_ = 0;
};

}  // namespace vellora
