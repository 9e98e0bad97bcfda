#pragma once
// Each library's own look: the colours, background images and tree font of
// the outlook bar, the tree, the text view and the two list views, kept in
// the library's interface-setting slots. This file reads a library's look
// (the built-in look wherever the library says nothing, so no look leaks from
// the library open before) and runs the commands that change it; the frame
// applies a look to its windows through LookHost.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "content/CommandHandler.h"
#include "content/ContentPrompt.h"
#include "store/LibraryDocument.h"
#include "store/Services.h"
#include "store/Variant.h"

namespace vellora {

// The settings slots of the look.
enum LookSlot : int {
  kSlotOutbarBack = 1,
  kSlotTreeBack = 2,
  kSlotListBack = 3,
  kSlotTextBack = 4,
  kSlotTreeText = 7,
  kSlotTreeFace = 8,
  kSlotTreeHeight = 9,
  kSlotOutbarText = 10,
  kSlotListText = 11,
  kSlotFileText = 12,
  kSlotFileBack = 13,
};

// The outlook bar's text colour after "Restore Default".
inline constexpr COLORREF kDefaultOutbarText = RGB(58, 110, 164);
inline constexpr COLORREF kDefaultTreeText = RGB(0, 0, 0);
inline constexpr LONG kDefaultTreeFontHeight = -12;
// A colour that stands for the view's own (system) colour (the common
// controls' CLR_DEFAULT).
inline constexpr COLORREF kViewDefaultColor = 0xFF000000;

// What a view draws behind its content.
struct Backdrop {
  enum class Source { Default, Image, Color };
  Source source = Source::Default;  // the outlook bar and the tree: bitmap 239; the lists: the system colour
  std::string imagePath;
  COLORREF color = 0;

  static Backdrop Image(std::string path) { return {Source::Image, std::move(path), 0}; }
  static Backdrop Solid(COLORREF color) { return {Source::Color, {}, color}; }
  bool operator==(const Backdrop&) const = default;
};

// A look, part by part; a part not set is left as it is when the look is applied.
struct LibraryLook {
  std::optional<Backdrop> outbarBack;
  std::optional<COLORREF> outbarText;
  std::optional<Backdrop> treeBack;
  std::optional<COLORREF> treeText;
  std::optional<LOGFONTA> treeFont;
  std::optional<COLORREF> textBack;  // kViewDefaultColor: the view's own
  std::optional<Backdrop> listBack;
  std::optional<COLORREF> listText;  // kViewDefaultColor: the view's own
  std::optional<Backdrop> fileBack;
  std::optional<COLORREF> fileText;
};

// The tree font that a face and a height stand for: weight 400, no italic,
// underline or strike-out, the default character set.
LOGFONTA TreeFontOf(const std::string& face, LONG height);
// The look of a library that stores nothing: every part at its built-in value.
LibraryLook BuiltInLook(const std::string& defaultFace);
// The look stored in the slots read by slot (the built-in value for every
// part whose slot is missing or of another type).
LibraryLook ReadLibraryLook(const std::function<Variant(int)>& slot, const std::string& defaultFace);

// The parts whose colour a colour command changes.
enum class LookPart { OutbarText, OutbarBack, TreeText, TreeBack, ListText, ListBack, FileText, FileBack };

// What the look commands need of the windows.
class LookHost {
 public:
  virtual ~LookHost() = default;
  // The colour a colour dialog starts from.
  virtual COLORREF CurrentColor(LookPart part) const = 0;
  // The tree's font now (the font dialog starts from it).
  virtual LOGFONTA CurrentTreeFont() const = 0;
  // Applies the parts of look that are set. False when an image of it could
  // not be loaded: that part is then left as it was.
  virtual bool ApplyLook(const LibraryLook& look) = 0;
};

class LookCommands : public CommandHandler {
 public:
  LookCommands(LibraryDocument& document, ContentPrompt& prompt, LookHost& host, const TextSource& texts);

  // Runs one of the Folder, Tree View, List View or File View appearance
  // commands; false for other commands.
  bool Handle(UINT id) override { return RunEntry(Map(), *this, id); }
  static bool Handles(UINT id) { return FindEntry(Map(), id) != nullptr; }
  // The look of the open library.
  LibraryLook StoredLook() const;
  // The text view's back colour was chosen: the library keeps it.
  void TextBackChosen(COLORREF color);

 private:
  static std::span<const CommandEntry<LookCommands>> Map();
  void ChooseColorOf(LookPart part);
  void ChooseImageOf(LookPart part);
  void ChooseTreeFont();
  void RestoreFolderLook();
  void RestoreTreeLook();
  void Store(int slot, const Variant& value);
  std::string DefaultFace() const { return texts_.TextOr(kTextFontFace, "Tahoma"); }

  LibraryDocument& document_;
  ContentPrompt& prompt_;
  LookHost& host_;
  const TextSource& texts_;
};

// ---- predefined interface layouts --------------------------------------------------

// How a layout leaves one splitter: both panes, or only the second (the
// right or bottom one).
enum class PaneRule { Both, SecondOnly };
enum class BandRule { Unchanged, Shown, Hidden };

struct InterfaceLayout {
  UINT command;
  PaneRule mainSplitter;
  PaneRule titleSplitter;
  PaneRule textSplitter;
  BandRule toolbar;
  // The item view the layout brings into the item area (0: the one shown stays).
  int viewKind;
  // The read-only lock as the layout leaves it: only Text Reading sets it.
  bool readOnly;
};

// The layout of a command; null for other commands.
const InterfaceLayout* FindInterfaceLayout(UINT command);

}  // namespace vellora
