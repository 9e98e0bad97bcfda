#pragma once
// The text view: the editor of Text items (catalog items and tree leaves),
// one rich edit window of the program's own class reused for every such
// item. Its content is RTF, streamed in from the item's content stream and
// streamed back out when it is left modified or the library is saved. It
// carries the formatting commands, the colour palette and the text tools.
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/TextTools.h"
#include "controls/ColorPalette.h"
#include "views/ItemView.h"

namespace vellora {

// The characters a note may hold before its content asks for more.
inline constexpr LONG kTextLimit = 4000000;
// The most bytes of RTF a note may have to be loaded: the process is 32-bit,
// and a note is held several times over on its way (the bytes read, the
// control's own UTF-16 text and layout, and, while a tool runs, the RTF
// streamed out, the edited RTF, a second control and two texts).
inline constexpr unsigned long long kMaxNoteBytes = 32ull << 20;
// The rich edit control lays out a paragraph in time that grows with the
// square of its length once it is longer than about 2,000 characters (one of
// 16,384 characters takes about a second, one of 64 KiB about sixteen). A
// note whose long paragraphs cost more than one paragraph of
// kMaxWrappedParagraph characters is shown without word wrap.
inline constexpr size_t kQuadraticWrapFrom = 2048;
inline constexpr size_t kMaxWrappedParagraph = 16384;
bool TooLongToWrap(const std::wstring& text);
// The font sizes of the format strip's size box, in points.
inline constexpr int kFontSizes[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// Height in twips for an entry of the size box (-1: none chosen).
LONG FontSizeTwips(int index);
// True for the link targets opened without asking: web and mail addresses.
bool OpensWithoutAsking(const std::string& target);

class TextView : public ItemView {
 public:
  TextView();
  ~TextView() override;

  ItemKind Kind() const override { return kItemText; }
  bool Create(HWND parent) override;
  HWND Window() const override;
  bool Load(const ItemSource& source) override;
  bool Store() override;
  bool Modified() const override;
  void Clear() override;
  void SetReadOnly(bool readOnly) override;
  bool HandleCommand(UINT id) override;
  bool HandleCommandFrom(UINT id, HWND control) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;
  bool Find(const std::string& text, bool textOnly) override;
  std::string SelectedText() const override;
  // The note's text, each paragraph ending in CR LF but the last.
  bool PlainText(std::string& out) const override;
  // The first visible character, and scrolling a character to the top.
  bool Position(long& index) const override;
  void GoToPosition(long index) override;
  // The text part of the library's look: the back colour.
  bool ApplyLook(const LibraryLook& look) override;
  // The note cut into pages for the printer.
  std::unique_ptr<PageProvider> PrintPages(const PrinterSettings& printer) const override;

  // The selection's face name and height in twips, for the format strip.
  bool SelectionFont(std::string& face, LONG& twips) const;
  // What was wrong with the note shown last: it is shown as far as it could
  // be read, read-only, and never stored; empty when it loaded as stored.
  std::string LoadProblem() const override { return loadProblem_; }
  // Said of a note too long to wrap, which is shown unwrapped (after its
  // title: "<title>" holds lines ...).
  std::string LoadRemark() const override;
  // True while the note shown is too long to wrap and so is shown unwrapped.
  bool ShownUnwrapped() const { return unwrapped_; }
  bool HasItem() const override { return source_ != nullptr; }
  bool WordWrap() const { return wrap_; }
  bool ReadOnly() const { return readOnly_; }
  // Takes edits: not locked, and the note shown is the note stored.
  bool Editable() const { return !readOnly_ && loadProblem_.empty(); }
  COLORREF BackColor() const { return back_; }
  // The back colour a library keeps for the view; CLR_DEFAULT: the system's.
  void SetBackColor(COLORREF color);
  COLORREF LastTextColor() const { return lastText_; }
  COLORREF LastHighlightColor() const { return lastHighlight_; }

  // The face of the default character format (set before Create).
  void SetDefaultFace(std::string face) { defaultFace_ = std::move(face); }
  // The context menu: popup `position` of menu resource `menuId`.
  void SetContextMenu(UINT menuId, int position) {
    menuId_ = menuId;
    menuPosition_ = position;
  }

  // The format strip's boxes: a face name or an entry of kFontSizes chosen.
  void ApplyFontName(const std::string& face);
  void ApplyFontSize(int index);
  // The drop-down arrow of a colour button (screen rectangle of the button).
  void DropDownColor(UINT id, const RECT& button);
  // Notifications the control sends its parent, handed on by the frame.
  LRESULT OnNotify(const NMHDR& header);

  // What the view needs of its surroundings; each has a working default.
  // The edit window was replaced by a new one (content swapped in one step).
  std::function<void(HWND window)> onWindowReplaced;
  // The back colour changed (the view-appearance settings keep it).
  std::function<void(COLORREF color)> onBackColor;
  // Asks before a link that is not a web or mail address is opened.
  std::function<bool(const std::string& target)> confirmLink;
  // Opens a link target.
  std::function<void(const std::string& target)> openLink;
  // The colour dialog; false when it was cancelled.
  std::function<bool(COLORREF& color)> chooseColor;
  // The font dialog on the selection's format; false when it was cancelled.
  std::function<bool(CHARFORMAT2A& format)> chooseFont;
  // The colour palette below a button.
  std::function<PaletteChoice(const RECT& button, COLORREF current)> openPalette;

 private:
  class EditWindow;
  friend class EditWindow;

  HWND Edit() const;
  std::unique_ptr<EditWindow> MakeEdit(bool visible, LONG limit) const;
  // The face of the string table, 12 points, normal weight.
  void ApplyDefaultFormat(HWND edit, WPARAM scope) const;
  void SwapEdit(std::unique_ptr<EditWindow> fresh);
  bool ReadNote(const ItemSource& source, std::string& note);
  bool StreamInto(HWND edit, std::string& note);
  // Wraps the window's text when the flag is on and it can be laid out in bounded time.
  void FitWrap(HWND edit, const std::wstring& text);
  LRESULT OnEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
  void OnContextMenu(POINT screen);
  void OnLinkClicked(const ENLINK& link);

  // Formatting.
  void ApplyCharFormat(CHARFORMAT2A format);
  void ToggleEffect(DWORD mask, DWORD effect);
  void SetAlignment(WORD alignment);
  void ApplyColor(UINT id, COLORREF color);
  COLORREF CurrentColor(UINT id) const;
  void ColorCommand(UINT id, bool fromButton);
  void FontDialog();
  void SetWordWrap(bool wrap);

  // Text and tools.
  std::wstring ReadText() const;
  void RunTool(UINT id);
  void ApplyToolEdits(const std::wstring& text, const TextEdits& edits);
  void ApplyEditsDirectly(const TextEdits& edits);
  bool RebuildWithEdits(const std::wstring& text, const TextEdits& edits);
  void ReplaceSelection(const std::wstring& text);
  void DeleteCurrentLine();
  void InsertText(const char* text);
  std::string StreamOutRtf() const;
  bool RestoreRtf(const std::string& rtf);
  void Undo();
  void Redo();

  std::unique_ptr<EditWindow> edit_;
  HWND parent_ = nullptr;
  const ItemSource* source_ = nullptr;
  bool readOnly_ = false;
  bool wrap_ = true;
  bool unwrapped_ = false;
  COLORREF lastText_;
  COLORREF lastHighlight_;
  COLORREF back_;
  bool backSet_ = false;
  std::string defaultFace_ = "Tahoma";
  UINT menuId_ = 0;
  int menuPosition_ = 0;
  AnsiCharacters ansi_;
  // Whole-note states before (undo) and after (redo) the tools that swapped
  // the content in one step, for the edit window's own undo to continue into.
  std::vector<std::string> undoSnapshots_;
  std::vector<std::string> redoSnapshots_;
  std::string loadProblem_;
};

}  // namespace vellora
