#pragma once
// "Vellora Print Preview" (dialog 266): one page of a provider at a time,
// drawn as the printer would print it, with paging, zoom, dragging a zoomed
// page, and Print. Its result: 1 Close, 2 the close box, 3 Print.
#include <windows.h>

#include <memory>

#include "platform/ModalDialog.h"
#include "platform/OwnedHandle.h"
#include "views/PagePrinting.h"
#include "views/dialogs/PreviewLayout.h"

namespace vellora {

using EnhMetaFileHandle = OwnedHandle<HENHMETAFILE, DeleteEnhMetaFile>;

class PrintPreviewDialog : public ModalDialog {
 public:
  static constexpr INT_PTR kClosed = 1;
  static constexpr INT_PTR kClosedByBox = 2;
  static constexpr INT_PTR kPrint = 3;

  // Pages first..last; last -1: as many as the provider has (it is asked
  // for their number only when the caption shows it).
  PrintPreviewDialog(const PrinterSettings& printer, PageProvider& pages, int first, int last);
  ~PrintPreviewDialog() override;

  INT_PTR Run(HWND owner);

  // What the dialog shows now (for its tests and its benchmark).
  int CurrentPage() const { return current_; }
  double ZoomFactor() const { return zoom_.Factor(); }
  POINT PanOffset() const { return offset_; }
  bool PageShown() const { return static_cast<bool>(picture_); }
  HWND PageWindow() const;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  class PagePane;
  friend class PagePane;

  bool Render(int page);
  void GoTo(int page);
  int LastPage();
  void ShowCaption();
  void Zoom(bool in);
  void Layout();
  void Paint(HDC dc, const RECT& client);

  const PrinterSettings& printer_;
  PageProvider& pages_;
  int first_;
  int last_;
  int current_;
  PreviewZoom zoom_;
  POINT offset_{0, 0};
  SIZE pageSize_{0, 0};  // the sheet in hundredths of a millimetre
  EnhMetaFileHandle picture_;
  std::unique_ptr<PagePane> pane_;
};

}  // namespace vellora
