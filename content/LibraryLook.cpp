#include "content/LibraryLook.h"

#include "platform/Dpi.h"

#include <commdlg.h>

#include <array>

#include "content/CommandIds.h"
#include "content/CommandTable.h"

namespace vellora {

namespace {

// A colour slot: a 32-bit integer; anything else is not a colour.
std::optional<COLORREF> ColorIn(const Variant& value) {
  if (value.Type() != VT_I4) return std::nullopt;
  return static_cast<COLORREF>(value.Raw().lVal);
}

// A background slot: a non-empty path, a colour, else the built-in backdrop.
Backdrop BackdropIn(const Variant& value) {
  if (value.IsString()) {
    std::string path = value.AsString();
    return path.empty() ? Backdrop{} : Backdrop::Image(path);
  }
  if (std::optional<COLORREF> color = ColorIn(value)) return Backdrop::Solid(*color);
  return Backdrop{};
}

// The tree font's height: a 32-bit integer, or a 16-bit one.
std::optional<LONG> HeightIn(const Variant& value) {
  if (value.Type() == VT_I4) return value.Raw().lVal;
  if (value.Type() == VT_I2) return value.Raw().iVal;
  return std::nullopt;
}

}  // namespace

LOGFONTA TreeFontOf(const std::string& face, LONG height) {
  LOGFONTA font = {};
  font.lfHeight = height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  return font;
}

LibraryLook BuiltInLook(const std::string& defaultFace) {
  LibraryLook look;
  look.outbarBack = Backdrop{};
  look.outbarText = kDefaultOutbarText;
  look.treeBack = Backdrop{};
  look.treeText = kDefaultTreeText;
  look.treeFont = TreeFontOf(defaultFace, kDefaultTreeFontHeight);
  look.textBack = kViewDefaultColor;
  look.listBack = Backdrop{};
  look.listText = kViewDefaultColor;
  look.fileBack = Backdrop{};
  look.fileText = kViewDefaultColor;
  return look;
}

LibraryLook ReadLibraryLook(const std::function<Variant(int)>& slot, const std::string& defaultFace) {
  LibraryLook look = BuiltInLook(defaultFace);
  look.treeBack = BackdropIn(slot(kSlotTreeBack));
  if (auto color = ColorIn(slot(kSlotTreeText))) look.treeText = *color;
  const Variant face = slot(kSlotTreeFace);
  const std::optional<LONG> height = HeightIn(slot(kSlotTreeHeight));
  if (face.IsString() && !face.AsString().empty() && height) look.treeFont = TreeFontOf(face.AsString(), *height);
  look.outbarBack = BackdropIn(slot(kSlotOutbarBack));
  if (auto color = ColorIn(slot(kSlotOutbarText))) look.outbarText = *color;
  if (auto color = ColorIn(slot(kSlotTextBack))) look.textBack = *color;
  look.listBack = BackdropIn(slot(kSlotListBack));
  if (auto color = ColorIn(slot(kSlotListText))) look.listText = *color;
  look.fileBack = BackdropIn(slot(kSlotFileBack));
  if (auto color = ColorIn(slot(kSlotFileText))) look.fileText = *color;
  return look;
}

// ---- the commands ---------------------------------------------------------------------

LookCommands::LookCommands(LibraryDocument& document, ContentPrompt& prompt, LookHost& host, const TextSource& texts)
    : document_(document), prompt_(prompt), host_(host), texts_(texts) {}

LibraryLook LookCommands::StoredLook() const {
  if (!document_.IsOpen()) return BuiltInLook(DefaultFace());
  return ReadLibraryLook([this](int slot) { return document_.ReadSettingsSlot(slot); }, DefaultFace());
}

std::span<const CommandEntry<LookCommands>> LookCommands::Map() {
  using L = LookCommands;
  static constexpr CommandEntry<L> kMap[] = {
      {ID_FOLDER_FORE_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::OutbarText); }},
      {ID_FOLDER_BACK_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::OutbarBack); }},
      {ID_FOLDER_BACK_IMAGE, [](L& l, UINT) { l.ChooseImageOf(LookPart::OutbarBack); }},
      {ID_FOLDER_RESTORE_DEFAULT, [](L& l, UINT) { l.RestoreFolderLook(); }},
      {ID_TREE_FORE_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::TreeText); }},
      {ID_TREE_BACK_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::TreeBack); }},
      {ID_TREE_FONT, [](L& l, UINT) { l.ChooseTreeFont(); }},
      {ID_TREE_BACK_IMAGE, [](L& l, UINT) { l.ChooseImageOf(LookPart::TreeBack); }},
      {ID_TREE_RESTORE_DEFAULT, [](L& l, UINT) { l.RestoreTreeLook(); }},
      {ID_LIST_TEXT_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::ListText); }},
      {ID_LIST_BACK_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::ListBack); }},
      {ID_LIST_BACK_IMAGE, [](L& l, UINT) { l.ChooseImageOf(LookPart::ListBack); }},
      {ID_FILEVIEW_FORE_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::FileText); }},
      {ID_FILEVIEW_BACK_COLOR, [](L& l, UINT) { l.ChooseColorOf(LookPart::FileBack); }},
      {ID_FILEVIEW_BACK_IMAGE, [](L& l, UINT) { l.ChooseImageOf(LookPart::FileBack); }},
  };
  return kMap;
}

namespace {

struct PartPlace {
  LookPart part;
  int slot;
  std::optional<COLORREF> LibraryLook::*text;
  std::optional<Backdrop> LibraryLook::*back;
};

// Where each part lives in a look and in the slots; a background colour and
// a background image share their slot, so the later one wins.
constexpr std::array<PartPlace, 8> kPlaces = {{
    {LookPart::OutbarText, kSlotOutbarText, &LibraryLook::outbarText, nullptr},
    {LookPart::OutbarBack, kSlotOutbarBack, nullptr, &LibraryLook::outbarBack},
    {LookPart::TreeText, kSlotTreeText, &LibraryLook::treeText, nullptr},
    {LookPart::TreeBack, kSlotTreeBack, nullptr, &LibraryLook::treeBack},
    {LookPart::ListText, kSlotListText, &LibraryLook::listText, nullptr},
    {LookPart::ListBack, kSlotListBack, nullptr, &LibraryLook::listBack},
    {LookPart::FileText, kSlotFileText, &LibraryLook::fileText, nullptr},
    {LookPart::FileBack, kSlotFileBack, nullptr, &LibraryLook::fileBack},
}};

const PartPlace& PlaceOf(LookPart part) {
  for (const PartPlace& place : kPlaces)
    if (place.part == part) return place;
  return kPlaces[0];
}

}  // namespace

void LookCommands::ChooseColorOf(LookPart part) {
  COLORREF color = host_.CurrentColor(part);
  if (!prompt_.PickColor(color)) return;
  const PartPlace& place = PlaceOf(part);
  LibraryLook change;
  if (place.text) change.*place.text = color;
  else change.*place.back = Backdrop::Solid(color);
  host_.ApplyLook(change);
  Store(place.slot, Variant::FromInt(static_cast<long>(color)));
}

void LookCommands::ChooseImageOf(LookPart part) {
  FileDialogRequest request;
  request.title = texts_.TextOr(kTextBackImageTitle, "Background Image");
  request.filter = "All supported Image(*.BMP)|*.bmp|";
  request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  std::string path;
  if (!prompt_.ChooseFile(request, path) || path.empty()) return;
  const PartPlace& place = PlaceOf(part);
  LibraryLook change;
  change.*place.back = Backdrop::Image(path);
  // A file that is not a picture the views can draw is not kept either.
  if (!host_.ApplyLook(change)) {
    prompt_.ShowMessage("The picture \"" + path + "\" could not be loaded. Please choose a bitmap (*.bmp) file.",
                        texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
    return;
  }
  Store(place.slot, Variant::FromString(path));
}

void LookCommands::ChooseTreeFont() {
  LOGFONTA font = host_.CurrentTreeFont();
  if (!prompt_.PickFont(font)) return;
  // Shown as chosen; only the face and the height come back with the
  // library, the height as it is at 96 DPI (the tree shows it scaled).
  font.lfHeight = Unscaled(font.lfHeight);
  LibraryLook change;
  change.treeFont = font;
  host_.ApplyLook(change);
  Store(kSlotTreeFace, Variant::FromString(font.lfFaceName));
  Store(kSlotTreeHeight, Variant::FromInt(font.lfHeight));
}

void LookCommands::RestoreFolderLook() {
  LibraryLook change;
  change.outbarBack = Backdrop{};
  change.outbarText = kDefaultOutbarText;
  host_.ApplyLook(change);
  Store(kSlotOutbarBack, Variant::FromString(""));
  Store(kSlotOutbarText, Variant::FromInt(static_cast<long>(kDefaultOutbarText)));
}

void LookCommands::RestoreTreeLook() {
  LibraryLook change;
  change.treeBack = Backdrop{};
  change.treeText = kDefaultTreeText;
  change.treeFont = TreeFontOf(DefaultFace(), kDefaultTreeFontHeight);
  host_.ApplyLook(change);
  Store(kSlotTreeBack, Variant::FromString(""));
  Store(kSlotTreeText, Variant::FromInt(static_cast<long>(kDefaultTreeText)));
  Store(kSlotTreeFace, Variant::FromString(DefaultFace()));
  Store(kSlotTreeHeight, Variant::FromInt(kDefaultTreeFontHeight));
}

void LookCommands::TextBackChosen(COLORREF color) { Store(kSlotTextBack, Variant::FromInt(static_cast<long>(color))); }

void LookCommands::Store(int slot, const Variant& value) {
  // A library that cannot be written (a damaged one) keeps its look as it was.
  if (document_.IsOpen() && !document_.ReadOnly()) document_.WriteSettingsSlot(slot, value);
}

// ---- layouts ------------------------------------------------------------------------------

namespace {

constexpr std::array<InterfaceLayout, 4> kLayouts = {{
    {ID_LAYOUT_STANDARD, PaneRule::Both, PaneRule::Both, PaneRule::Both, BandRule::Shown, 0, false},
    {ID_LAYOUT_TEXT_READING, PaneRule::SecondOnly, PaneRule::SecondOnly, PaneRule::SecondOnly, BandRule::Hidden,
     kItemText, true},
    {ID_LAYOUT_TEXT_EDITOR, PaneRule::SecondOnly, PaneRule::Both, PaneRule::Both, BandRule::Unchanged, kItemText,
     false},
    {ID_LAYOUT_WEB_BROWSER, PaneRule::SecondOnly, PaneRule::Both, PaneRule::SecondOnly, BandRule::Unchanged,
     kItemWebLink, false},
}};

}  // namespace

const InterfaceLayout* FindInterfaceLayout(UINT command) {
  for (const InterfaceLayout& layout : kLayouts)
    if (layout.command == command) return &layout;
  return nullptr;
}

}  // namespace vellora
