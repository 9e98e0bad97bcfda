#pragma once
// The row dialog of a data list (dialog 225): one labelled edit per column,
// made when it opens; "&Add" appends rows one after another, "&Modify"
// changes the selected row. It sits just below the row it is about, always
// whole on the screen; with more columns than the screen can take, the
// lines scroll.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ModalDialog.h"

namespace vellora {

class RowDialog : public ModalDialog {
 public:
  enum class Mode { Add, Modify };

  // A cell typed into the dialog holds at most this many bytes; a longer
  // cell of the row being modified keeps its whole length.
  static constexpr size_t kCellBytes = 399;
  // Labels show at most this many bytes of a column title.
  static constexpr size_t kLabelBytes = 63;

  struct Hooks {
    // The cells of a new row / the new cells of the modified row; the dialog
    // has checked that the first is not empty.
    std::function<void(const std::vector<std::string>& cells)> add;
    std::function<void(const std::vector<std::string>& cells)> modify;
    // Where the dialog's top left corner goes (screen coordinates): just
    // below the row it is about. Asked at opening and after every added row.
    std::function<POINT()> anchor;
  };

  // failCaption: the caption of the message that refuses an empty first cell.
  RowDialog(Mode mode, std::vector<std::string> titles, std::vector<std::string> cells, std::string failCaption,
            Hooks hooks);
  ~RowDialog() override;

  // Runs the dialog; true when a row was added or modified while it was open.
  bool Show(HWND owner);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  class Lines;

  void Layout();
  void PlaceAtAnchor();
  std::vector<std::string> Cells() const;
  void Apply();

  Mode mode_;
  std::vector<std::string> titles_;
  std::vector<std::string> cells_;
  std::string failCaption_;
  Hooks hooks_;
  std::unique_ptr<Lines> lines_;
  std::vector<HWND> edits_;
  std::vector<size_t> limits_;
  bool changed_ = false;
};

}  // namespace vellora
