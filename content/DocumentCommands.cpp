#include "content/DocumentCommands.h"

#include "content/CommandIds.h"
#include "store/LibraryDocument.h"

namespace vellora {

bool RunDocumentCommand(LibraryDocument& document, UINT id) {
  switch (id) {
    case ID_FILE_NEW: document.AskAndCreateLibrary(); return true;
    case ID_FILE_OPEN: document.AskAndOpenLibrary(); return true;
    case ID_FILE_SAVE: document.Save(); return true;
    case ID_FILE_SAVE_COPY: document.SaveCopy(); return true;
    case ID_FILE_RESTORE: document.RestoreToLastSave(); return true;
    case ID_FILE_REPACK: document.Repack(); return true;
    case ID_TOOLS_CHECK_LIBRARY: document.CheckLibraryFile(); return true;
    case ID_APP_EXIT: document.RequestClose(); return true;
    default: break;
  }
  if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
    // Entry k of the menu is the library k places before the newest.
    document.OpenRecentEntry(document.Recent().IndexFromNewest(static_cast<int>(id - ID_FILE_MRU_FIRST)));
    return true;
  }
  return false;
}

}  // namespace vellora
