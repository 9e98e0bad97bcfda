#pragma once
// The text view as the item pane shows it: the format strip (the font boxes
// and the format toolbar) above the text view's editor, in one window that
// the frame or the tab pages view puts where the item goes. It keeps the
// strip in step with the editor, and takes the strip's own commands.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/GdiHandles.h"
#include "controls/Splitter.h"
#include "platform/Window.h"
#include "views/FormatStrip.h"
#include "views/ItemView.h"
#include "views/TextView.h"
#include "views/ViewHost.h"

namespace vellora {

class TextPane : public ItemView {
 public:
  // defaultFace: the face of new text and of the font box at first.
  explicit TextPane(std::string defaultFace);
  ~TextPane() override;

  TextView& Text() { return text_; }
  const TextView& Text() const { return text_; }
  bool FormatStripShown() const { return splitter_.SinglePane() == SplitterPane::None; }

  ItemKind Kind() const override { return kItemText; }
  bool Create(HWND parent) override;
  HWND Window() const override { return window_.Handle(); }
  HWND FocusWindow() const override { return text_.Window(); }
  bool Load(const ItemSource& source) override { return text_.Load(source); }
  std::string LoadProblem() const override { return text_.LoadProblem(); }
  std::string LoadRemark() const override { return text_.LoadRemark(); }
  bool Store() override { return text_.Store(); }
  bool Modified() const override { return text_.Modified(); }
  void Clear() override { text_.Clear(); }
  bool HasItem() const override { return text_.HasItem(); }
  void SetReadOnly(bool readOnly) override { text_.SetReadOnly(readOnly); }
  bool HandleCommand(UINT id) override;
  bool HandleCommandFrom(UINT id, HWND control) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;
  void UpdateCommandUi() override;
  bool Find(const std::string& text, bool textOnly) override { return text_.Find(text, textOnly); }
  std::string SelectedText() const override { return text_.SelectedText(); }
  bool PlainText(std::string& out) const override { return text_.PlainText(out); }
  bool Position(long& index) const override { return text_.Position(index); }
  void GoToPosition(long index) override { text_.GoToPosition(index); }
  bool ApplyLook(const LibraryLook& look) override { return text_.ApplyLook(look); }
  std::unique_ptr<PageProvider> PrintPages(const PrinterSettings& printer) const override {
    return text_.PrintPages(printer);
  }
  void ApplyLayout(const InterfaceLayout& layout) override;

 private:
  void CreateStrip();
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
  // The font boxes and the colour buttons, which act on the editor directly.
  bool OnStripCommand(UINT id, UINT code, HWND control);
  void OnColorDropDown(const NMTOOLBARA& note);
  bool Enabled(UINT id) const;
  void SyncFormatBoxes();
  void ShowStrip(bool show);

  std::string defaultFace_;
  PaneWindow window_{"VelloraTextPane"};
  Splitter splitter_;
  FormatStrip strip_;
  TextView text_;
  HWND formatBar_ = nullptr;
  HWND fontName_ = nullptr;
  HWND fontSize_ = nullptr;
  ImageListHandle formatImages_;
};

}  // namespace vellora
