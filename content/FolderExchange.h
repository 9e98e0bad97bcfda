#pragma once
// Whole folders between library files: chosen folders of the open library
// written into a new library file, and folders of another library file copied
// into the open one after its own folders. A folder travels as its complete
// storage; bookmarks, settings and the library password stay where they are.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "store/LibraryDocument.h"
#include "store/StorageHandle.h"

namespace vellora {

// The name a folder called name takes in root: the name itself while no
// element of root has it (the storage compares names without letter case),
// else the name followed by "(2)", "(3)", ..., cut where needed so that the
// whole stays an element name. Empty when no free name was found.
std::string FreeFolderName(const StorageHandle& root, const std::string& name);

// Writes the named folders of the open library, then an empty settings
// storage, into a new library file at path. The file is written under a
// temporary name beside path and takes path's place only when complete: on
// failure nothing is left of it, a file at path stays as it was, and
// failedFolder names the folder that could not be copied (empty when the
// file itself failed). The open library's own file is never a target.
// progress, when given, hears of every element written; its Cancel stops the
// export with E_ABORT, and nothing is left of the new file.
HRESULT ExportFolders(const LibraryDocument& document, const std::vector<std::string>& names,
                      const std::string& path, std::string& failedFolder, ProgressReport* progress = nullptr);

// The folders of another library's root by name (the settings storage left out).
std::vector<std::string> FolderNamesByName(const StorageHandle& root);

// Copies the folder called name from another library's root into the open
// library under a free name (newName), as its last folder: its class id
// keeps the kind and the rest, its order number is the library's next one.
// A copy that fails or is cancelled through progress (E_ABORT) leaves
// nothing behind.
HRESULT ImportFolder(LibraryDocument& document, const StorageHandle& sourceRoot, const std::string& name,
                     std::string& newName, uint16_t& kind, ProgressReport* progress = nullptr);

}  // namespace vellora
