// The branch, the current folder or the whole library written out so that
// it reads without the program: one HTML file, or a folder of Markdown or
// text files, chosen by the file type in the save dialog. What the library
// holds now is exported, saved or not: a snapshot of it is written to a
// temporary file first and exported from there.
#include <windows.h>
#include <commdlg.h>

#include <cctype>

#include "content/AccessPasswords.h"
#include "content/ContentCommands.h"
#include "content/LibraryExport.h"
#include "store/LibraryFormat.h"
#include "store/PathParts.h"

namespace vellora {

namespace {

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = LastSeparatorOf(path);
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string TemporaryLibraryPath() {
  char folder[MAX_PATH];
  char file[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "vlx", 0, file)) return {};
  return file;
}

}  // namespace

void ContentCommands::ExportReadable(UINT id) {
  // A damaged library is never copied whole (the copy would follow its damage).
  if (document_.ReadOnly()) {
    Message("This library is damaged and open read-only. Save a Copy of it first, and export the copy.", "Export",
            MB_OK | MB_ICONINFORMATION);
    return;
  }
  ExportOptions options;
  std::string name = document_.CurrentFolderName();
  if (id != ID_EXPORT_LIBRARY_READABLE) options.folder = CurrentFolderName();
  if (id == ID_EXPORT_BRANCH_READABLE) {
    TreeAccess& tree = host_.Tree();
    NodeRef node = host_.GroupKind(host_.SelectedGroup()) == kFolderTree ? tree.Selected() : nullptr;
    if (!node) {
      Message("Please select a tree node first.", "Tip", MB_OK | MB_ICONWARNING);
      return;
    }
    for (NodeRef at = node; at; at = tree.Parent(at)) options.branch.insert(options.branch.begin(), tree.Title(at));
    name = tree.Title(node);
  } else if (id == ID_EXPORT_LIBRARY_READABLE) {
    const std::string& path = document_.Path();
    name = LeafOf(path);
    if (LowerExtension(name) == "vlx") name.resize(name.size() - 4);
  }

  FileDialogRequest request;
  request.save = true;
  request.title = "Export as Web Page or Files";
  request.filter = "Web page (*.html)|*.html|Markdown files, in a folder (*.md)|*.md|"
                   "Text files, in a folder (*.txt)|*.txt|";
  request.defaultExtension = "html";
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  request.initialName = SafeFileName(name);
  std::string chosen;
  if (!prompt_.ChooseFile(request, chosen)) return;
  const std::string ext = LowerExtension(chosen);
  std::string target = chosen;
  if (ext == "md" || ext == "txt") {
    // The files go into a folder of the chosen name.
    options.format = ext == "md" ? ExportFormat::Markdown : ExportFormat::Text;
    target.resize(target.size() - ext.size() - 1);
  } else {
    options.format = ExportFormat::Html;
  }
  if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Nothing the user has is ever replaced by an export.
    Message("\"" + target + "\" is there already. Choose another name to export to.", "Export",
            MB_OK | MB_ICONINFORMATION);
    return;
  }

  const std::string snapshot = TemporaryLibraryPath();
  if (snapshot.empty() || FAILED(document_.WriteSnapshot(snapshot))) {
    if (!snapshot.empty()) DeleteFileA(snapshot.c_str());
    Message("The library could not be read for the export.", Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
    return;
  }
  // The library's own password was given when it was opened; protected
  // nodes and items whose passwords were not are left out (and counted).
  const std::string libraryPassword = LibraryPassword(document_);
  options.password = [libraryPassword](const std::string& titlePath) {
    return titlePath.empty() ? libraryPassword : std::string();
  };
  // Each protected node or item is asked for as the export reaches it; the
  // first one the user cancels ends the asking, and the rest stay out too.
  bool asking = true;
  options.unlock = [this, &asking](const std::string& titlePath, const std::string& stored) {
    if (!asking) return false;
    if (prompt_.AskPassword(titlePath, stored)) return true;
    asking = false;
    return false;
  };
  ExportResult result;
  {
    std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Exporting " + name);
    options.progress = [&progress](size_t done, size_t total) { return !progress || progress->Step(done, total); };
    result = ExportLibrary(snapshot, target, options);
  }
  DeleteFileA(snapshot.c_str());
  switch (result.status) {
    case ExportStatus::Done: {
      std::string text = "Exported to \"" + target + "\".";
      if (result.leftOut)
        text += "\n\n" + std::to_string(result.leftOut) + " protected node(s) or item(s) were left out.";
      Message(text, "Export", MB_OK | MB_ICONINFORMATION);
      return;
    }
    case ExportStatus::Cancelled: return;  // nothing was left behind
    default:
      Message("The export did not succeed, and nothing was written" +
                  (result.message.empty() ? std::string(".") : ": " + result.message),
              Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
      return;
  }
}

}  // namespace vellora
