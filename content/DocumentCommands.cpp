#include "content/DocumentCommands.h"

#include "content/CommandIds.h"
#include "store/LibraryDocument.h"

namespace vellora {

namespace {

using D = LibraryDocument;

constexpr CommandEntry<D> kDocumentMap[] = {
    {ID_FILE_NEW, [](D& d, UINT) { d.AskAndCreateLibrary(); }},
    {ID_FILE_OPEN, [](D& d, UINT) { d.AskAndOpenLibrary(); }},
    {ID_FILE_SAVE, [](D& d, UINT) { d.Save(); }},
    {ID_FILE_SAVE_COPY, [](D& d, UINT) { d.SaveCopy(); }},
    {ID_FILE_RESTORE, [](D& d, UINT) { d.RestoreToLastSave(); }},
    {ID_FILE_REPACK, [](D& d, UINT) { d.Repack(); }},
    {ID_TOOLS_CHECK_LIBRARY, [](D& d, UINT) { d.CheckLibraryFile(); }},
    {ID_APP_EXIT, [](D& d, UINT) { d.RequestClose(); }},
    // Entry k of the menu is the library k places before the newest.
    {ID_FILE_MRU_FIRST,
     [](D& d, UINT id) { d.OpenRecentEntry(d.Recent().IndexFromNewest(static_cast<int>(id - ID_FILE_MRU_FIRST))); },
     ID_FILE_MRU_LAST},
};

}  // namespace

bool RunDocumentCommand(LibraryDocument& document, UINT id) {
  return RunEntry<D>(kDocumentMap, document, id);
}

bool IsDocumentCommand(UINT id) { return FindEntry<D>(kDocumentMap, id) != nullptr; }

}  // namespace vellora
