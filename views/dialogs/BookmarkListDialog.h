#pragma once
// "Bookmark list" (dialog 253): the bookmarks in a list with their order,
// name and path; rows are deleted, renamed and moved here, and Ok hands the
// edited list back.
#include <windows.h>

#include <string>
#include <vector>

#include "content/Bookmarks.h"
#include "platform/ModalDialog.h"

namespace vellora {

class BookmarkListDialog : public ModalDialog {
 public:
  // tipCaption: the caption of the dialog's messages (string-table text 3739).
  BookmarkListDialog(const std::vector<Bookmark>& bookmarks, std::string tipCaption);

  // True with the edited list in Result() when the user chose Ok.
  bool Ask(HWND owner);
  std::vector<Bookmark> Result() const { return rows_.Result(); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void FillList();
  void Tip(const char* text);
  HWND List() const;

  BookmarkRows rows_;
  std::string tipCaption_;
};

}  // namespace vellora
