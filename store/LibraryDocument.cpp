#include "store/LibraryDocument.h"

#include "store/CompoundFileWriter.h"

#include <commdlg.h>

#include <cstdio>

#include "platform/KernelHandle.h"
#include "store/LibrarySalvage.h"
#include "store/NameLengthRepair.h"
#include "store/SafeFileReplace.h"

namespace vellora {

namespace {

constexpr char kFailCaption[] = "Fail";
constexpr char kSorry[] = "Sorry";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

bool FileExists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Size of a file opened with no access rights, as the file system reports it.
LONGLONG FileSizeOf(const std::string& path) {
  KernelHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return -1;
  LARGE_INTEGER size;
  size.QuadPart = -1;
  if (!GetFileSizeEx(file.Get(), &size)) size.QuadPart = -1;
  return size.QuadPart;
}

// A text of the string table with its one "%s" replaced; never a format
// string handed to printf.
std::string Fill(std::string text, const std::string& value) {
  size_t at = text.find("%s");
  if (at == std::string::npos) return text + "\n\n" + value;
  return text.replace(at, 2, value);
}

}  // namespace

LibraryDocument::LibraryDocument(DocumentHost& host, UserPrompt& prompt, const TextSource& texts,
                                 DiagnosticSink& log, DocumentSetup setup)
    : host_(host),
      prompt_(prompt),
      texts_(texts),
      log_(log),
      setup_(std::move(setup)),
      backups_(setup_.backups ? *setup_.backups : ReadBackupPolicy(setup_.registryRoot, setup_.registryKey)) {
  if (setup_.tempFolder.empty()) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    setup_.tempFolder = temp;
  }
  setup_.tempFolder = WithBackslash(setup_.tempFolder);
}

LibraryDocument::~LibraryDocument() {
  recent_.Save(setup_.registryRoot, setup_.registryKey);
  ReleaseStorages();
}

std::string LibraryDocument::ScratchPath() const { return setup_.tempFolder + "mytemp.vlx"; }
std::string LibraryDocument::RepackPath() const { return RepackCopyPath(path_); }

void LibraryDocument::ReleaseStorages() {
  currentFolder_.Release();
  root_.Release();
}

// ---- lifecycle ----------------------------------------------------------------

void LibraryDocument::Close() {
  host_.ClearViews();
  ReleaseStorages();
  readOnly_ = false;
  folders_.clear();
  currentFolderName_.clear();
  folderCounter_ = 0;
  itemCounter_ = 0;
}

void LibraryDocument::SetPath(const std::string& path) {
  path_ = path;
  if (!path.empty()) {
    host_.SetTitle(setup_.applicationTitle + " - " + path);
    recent_.Add(path);
  } else {
    host_.SetTitle(setup_.applicationTitle + " - " + Text(kTextUntitled, "Untitled"));
  }
}

bool LibraryDocument::CreateLibrary(const std::string& path) {
  Close();
  // A new library in the place of an old one replaces it: the old one is
  // kept among its backups first.
  if (!path.empty() && FileExists(path) && CheckCompoundFile(path.c_str()).Sound()) BackUpBeforeWriting(path);
  HRESULT hr = path.empty() ? root_.CreateRoot(ScratchPath().c_str(), kScratchFileMode)
                            : root_.CreateRoot(path.c_str(), kTransactedFileMode);
  std::string usedPath = path;
  if (FAILED(hr) && !path.empty()) {
    // The chosen place cannot take a library: a library must be open all the
    // same, so the scratch library stands in.
    usedPath.clear();
    hr = root_.CreateRoot(ScratchPath().c_str(), kScratchFileMode);
  }
  if (FAILED(hr)) {
    root_.Release();
    path_.clear();
    return false;
  }
  CreateFolder(Text(kTextFirstTreeFolder, "Favorite Tree"), kFolderTree);
  CreateFolder(Text(kTextFirstCatalogFolder, "Favorite Folder"), kFolderCatalog);
  CreateFolder(Text(kTextSecondCatalogFolder, "Favorite Folder 2"), kFolderCatalog);
  LayDownSettings(root_);
  root_.Commit();
  // The folders above were counted while laid down; loading counts them again.
  folders_.clear();
  folderCounter_ = 0;
  SetPath(usedPath);
  LoadIntoViews(true);
  modified_ = false;
  writesOnlyOnSave_ = true;
  return usedPath == path;
}

bool LibraryDocument::OpenLibrary(const std::string& path) {
  Close();
  refusedDamaged_ = false;
  refusedPath_.clear();
  damage_ = CompoundFileReport{};
  if (path.empty()) return false;
  // The platform is given only files whose structure our own reader found
  // sound; a damaged one is read-only, or never handed over at all when the
  // platform's look-ups would loop on it.
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  const bool missing = !report.fileOpened &&
                       (report.openError == ERROR_FILE_NOT_FOUND || report.openError == ERROR_PATH_NOT_FOUND);
  if ((missing || (report.fileOpened && !report.Sound())) && OfferStandIn(path, missing))
    report = CheckCompoundFile(path.c_str());
  if (!report.fileOpened) return false;  // missing, moved or in use: the caller says so
  bool damaged = !report.Sound();
  if (report.abandonedEntries) {
    log_.Report(path + ": " + std::to_string(report.abandonedEntries) +
                " directory entries were left outside every storage by a save cut short; a repack gives their "
                "space back.");
  }
  if (!damaged) {
    BackUpBeforeWriting(path);
    // What an interrupted repack left beside a sound library is no longer needed.
    DeleteFileA(RepackCopyPath(path).c_str());
  }
  if (damaged) {
    log_.Report("Damaged library " + path + ":\n" + report.Summary(32));
    damage_ = report;
    if (!report.PlatformMayRead()) {
      refusedDamaged_ = true;
      refusedPath_ = path;
      return false;
    }
  }
  // A sound library is opened transacted: every change waits in the
  // transaction until a save writes the whole library anew beside the file.
  if (FAILED(root_.OpenRoot(path.c_str(), damaged ? kReadMode : kTransactedMode))) {
    root_.Release();
    if (damaged) {
      refusedDamaged_ = true;
      refusedPath_ = path;
    }
    return false;
  }
  readOnly_ = damaged;
  writesOnlyOnSave_ = false;
  foldersLeft_ = false;
  std::string password = ReadSettingsString(root_, 6);
  if (!password.empty() && !prompt_.AskPassword(path, password)) {
    prompt_.ShowMessage(Text(kTextPasswordFailed, "Invalid password, access denied!"),
                        Text(kTextTipCaption, kSorry), MB_OK | MB_ICONEXCLAMATION);
    root_.Release();
    CreateLibrary("");
    return true;
  }
  SetPath(path);
  if (readOnly_) host_.SetTitle(setup_.applicationTitle + " - " + path + " [read-only: damaged]");
  LoadIntoViews(true);
  modified_ = false;
  if (readOnly_) {
    prompt_.ShowMessage(Fill(Text(kTextDamagedReadOnly, "This library file is damaged, so it was opened read-only.\n\n%s"),
                             damage_.Summary()),
                        Text(kTextDamagedCaption, "Damaged Library"), MB_OK | MB_ICONEXCLAMATION);
  }
  return true;
}

void LibraryDocument::LoadIntoViews(bool reloadBookmarks) {
  if (reloadBookmarks) {
    bookmarks_ = ReadBookmarks(root_);
    host_.RefreshBookmarkMenu();
  }
  host_.ApplyLibraryLook();
  std::vector<FolderEntry> found;
  if (FAILED(ListFolders(root_, found))) {
    // "\xA1\xEF" is the star that marks consistency checks in the log.
    char entry[160];
    std::snprintf(entry, sizeof entry, "\xA1\xEF" "CHECK(%s)" "\xA1\xEF" " in %s, %d", "pEnum", "MyDocuments", 166);
    log_.Report(entry);
    return;
  }
  folders_.clear();
  folderCounter_ = 0;
  for (const FolderEntry& f : found) {
    folders_[f.name] = FolderInfo{f.order, f.kind};
    if (f.order > folderCounter_) folderCounter_ = f.order;
  }
  // Hand the folders over in ascending order number.
  std::vector<FolderEntry> remaining = found;
  while (!remaining.empty()) {
    size_t smallest = 0;
    for (size_t i = 1; i < remaining.size(); ++i)
      if (remaining[i].order < remaining[smallest].order) smallest = i;
    host_.AddFolder(remaining[smallest].name, remaining[smallest].kind);
    remaining.erase(remaining.begin() + static_cast<long>(smallest));
  }
  std::string last = ReadSettingsString(root_, 0);
  if (last.empty() || !host_.GoToLocation(last)) host_.SelectFirstFolder();
}

bool LibraryDocument::Save() {
  if (ReadOnly()) {
    prompt_.ShowMessage(Text(kTextReadOnlyNoSave, "This library is open read-only because it is damaged."),
                        Text(kTextDamagedCaption, "Damaged Library"), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  host_.StoreTextViewContent();
  if (path_.empty()) return SaveCopy();
  if (!WriteOverLibraryFile()) return false;
  modified_ = false;
  return true;
}

bool LibraryDocument::ReplaceFileWithRoot(StorageHandle& root, const std::string& file, const std::string& copyPath,
                                          std::string& failure, bool& copyKept) {
  copyKept = false;
  // Our writer lays the copy down in one pass and removes what it began when
  // it fails; it reads through the root's transaction.
  HRESULT hr = CompoundFileWriter::CopyWhole(root.Get(), copyPath.c_str());
  if (FAILED(hr)) {
    failure = "The library could not be written beside its file";
    return false;
  }
  // Flushed and checked while the library is still open: a copy that fails
  // here costs nothing but itself.
  if (!FlushFileToDisk(copyPath) || !CheckCompoundFile(copyPath.c_str()).Sound()) {
    DeleteFileA(copyPath.c_str());
    failure = "The library's new copy could not be written to the disk whole";
    return false;
  }
  // The platform holds the file alone while it is open: it is let go for the
  // rename. The transaction it drops is in the copy.
  root.Release();
  const ReplaceResult replaced = ReplaceWithCheckedCopy(copyPath, file);
  if (replaced == ReplaceResult::kReplaced) return true;
  copyKept = true;
  failure = "The library file could not be replaced by its new copy (another program may be using it)";
  return false;
}

bool LibraryDocument::WriteOverLibraryFile() {
  const std::string folder = currentFolderName_;
  if (currentFolder_) {
    // Its changes go into the root's transaction, not into the file.
    currentFolder_.Commit();
    currentFolder_.Release();
  }
  auto reopenFolder = [&] {
    currentFolderName_.clear();
    if (!folder.empty() && SUCCEEDED(root_.OpenStorage(folder.c_str(), kTransactedMode, currentFolder_)))
      currentFolderName_ = folder;
  };
  const std::string copyPath = RepackPath();
  std::string failure;
  bool copyKept = false;
  if (ReplaceFileWithRoot(root_, path_, copyPath, failure, copyKept)) {
    foldersLeft_ = false;
    if (FAILED(root_.OpenRoot(path_.c_str(), kTransactedMode))) {
      // The file on the disk is the new library, whole and checked; only
      // this session's handle to it is gone.
      prompt_.ShowMessage("The library was saved but could not be opened again.", kFailCaption,
                          MB_OK | MB_ICONEXCLAMATION);
      const std::string saved = path_;
      if (!OpenLibrary(saved)) {
        ReportOpenFailure();
        if (!IsOpen()) CreateLibrary("");
      }
      return true;
    }
    reopenFolder();
    return true;
  }
  if (!copyKept) {
    // The library is still open with everything in its transaction.
    reopenFolder();
    prompt_.ShowMessage(failure + "; nothing was changed, and the changes are still open here.", kFailCaption,
                        MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // The library file is as it was at the last save, and this session's work
  // is in the copy: the copy goes on as the open library, under its own name.
  if (SUCCEEDED(root_.OpenRoot(copyPath.c_str(), kTransactedMode))) {
    SetPath(copyPath);
    reopenFolder();
    prompt_.ShowMessage(failure + ".\n\nWhat was saved is in\n" + copyPath +
                            "\nwhich is open now in the library's place.",
                        kFailCaption, MB_OK | MB_ICONEXCLAMATION);
    return true;
  }
  prompt_.ShowMessage(failure + ".\n\nWhat was saved is in\n" + copyPath, kFailCaption, MB_OK | MB_ICONEXCLAMATION);
  const std::string library = path_;
  if (!OpenLibrary(library)) {
    ReportOpenFailure();
    if (!IsOpen()) CreateLibrary("");
  }
  return false;
}

bool LibraryDocument::SaveCopy() {
  // A damaged library is copied by our own reader, never by the platform's
  // whole-storage copy, which would follow its damage.
  if (ReadOnly()) return SalvageInto(path_);
  std::string target;
  if (!AskFile(true, kTextSaveCopyTitle, target)) return false;
  host_.StoreTextViewContent();
  // The copy needs every element closed, the current folder too: its changes
  // go into the root's transaction, which the copy reads through, so the
  // library the copy is made of stays as it was last saved. Our own writer
  // lays the copy down in one pass and flushes it; the document goes on
  // with the copy, opened as a library is.
  currentFolder_.Commit();
  std::string folder = currentFolderName_;
  currentFolder_.Release();
  StorageHandle copy;
  HRESULT hr = CompoundFileWriter::CopyWhole(root_.Get(), target.c_str());
  const bool written = SUCCEEDED(hr);
  if (written) hr = copy.OpenRoot(target.c_str(), kTransactedMode);
  if (SUCCEEDED(hr) && !writesOnlyOnSave_ && !path_.empty()) {
    // A library opened from the disk had its folders' changes in its file
    // as they were committed: the original gets them too, replaced as a
    // save replaces it.
    std::string failure;
    bool copyKept = false;
    if (!ReplaceFileWithRoot(root_, path_, RepackPath(), failure, copyKept))
      log_.Report(path_ + ": the changes before Save Copy stay in the copy only: " + failure);
  }
  if (FAILED(hr) && !folder.empty()) root_.OpenStorage(folder.c_str(), kTransactedMode, currentFolder_);
  if (FAILED(hr)) {
    copy.Release();
    // Only a file this copy made is removed (the writer removes what it
    // began); a file that could not be created, the open library itself
    // say, is never touched.
    if (written) DeleteFileA(target.c_str());
    prompt_.ShowMessage(Text(kTextOpenFailed, "The library file could not be written."), kFailCaption,
                        MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  Close();  // deletes the scratch file when it was the scratch library
  root_ = std::move(copy);
  SetPath(target);
  LoadIntoViews(false);
  modified_ = false;
  writesOnlyOnSave_ = true;
  return true;
}

HRESULT LibraryDocument::WriteSnapshot(const std::string& path) {
  if (!root_) return E_UNEXPECTED;
  host_.StoreTextViewContent();
  // The copy needs every element closed: the current folder hands its
  // changes to the root's transaction (not to the file) and is opened again
  // afterwards. Our own writer lays the copy down in one pass.
  const std::string folder = currentFolderName_;
  if (currentFolder_) {
    currentFolder_.Commit();
    currentFolder_.Release();
  }
  HRESULT hr = CompoundFileWriter::CopyWhole(root_.Get(), path.c_str());
  if (!folder.empty()) {
    const HRESULT reopened = root_.OpenStorage(folder.c_str(), kTransactedMode, currentFolder_);
    if (SUCCEEDED(hr)) hr = reopened;
  }
  if (FAILED(hr)) DeleteFileA(path.c_str());
  return hr;
}

void LibraryDocument::KeepFoldersLeftBefore(const std::string& location) {
  if (writesOnlyOnSave_ || path_.empty() || !IsOpen() || ReadOnly()) return;
  currentFolder_.Release();
  currentFolderName_.clear();
  if (!location.empty()) vellora::WriteSettingsSlot(root_, 0, Variant::FromString(location));
  std::string failure;
  bool copyKept = false;
  if (!ReplaceFileWithRoot(root_, path_, RepackPath(), failure, copyKept))
    log_.Report(path_ + ": the changes of the folders left before could not be kept: " + failure);
}

void LibraryDocument::RestoreToLastSave() {
  KeepFoldersLeftBefore("");
  ReleaseStorages();
  modified_ = false;
  std::string path = path_;
  if (path.empty()) {
    // The scratch library was never saved: its last save is an empty library.
    CreateLibrary("");
    return;
  }
  if (!OpenLibrary(path)) {
    ReportOpenFailure();
    if (!IsOpen()) CreateLibrary("");
  }
}

bool LibraryDocument::Repack() {
  if (ReadOnly()) {
    prompt_.ShowMessage(Text(kTextReadOnlyNoSave, "This library is open read-only because it is damaged."),
                        Text(kTextDamagedCaption, "Damaged Library"), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (path_.empty()) {
    prompt_.ShowMessage("Please save the library under a name before repacking it.", Text(kTextTipCaption, "Tip"),
                        MB_OK | MB_ICONINFORMATION);
    return false;
  }
  // Every save writes the library anew, in one pass and with no unused
  // space, beside the file, and puts it in the file's place in one step: a
  // repack is a save that reports what it gave back.
  StoreLastLocation();
  host_.StoreTextViewContent();
  const LONGLONG oldSize = FileSizeOf(path_);
  if (!WriteOverLibraryFile()) return false;
  modified_ = false;
  const LONGLONG newSize = FileSizeOf(path_);
  char message[512];
  std::snprintf(message, sizeof message, Text(kTextRepackDone, "Old size: %d kB, new size: %d kB").c_str(),
                static_cast<int>(oldSize / 1000), static_cast<int>(newSize / 1000));
  prompt_.ShowMessage(message, "Vellora", MB_OK | MB_ICONINFORMATION);
  return true;
}

// ---- stand-ins and backups ------------------------------------------------------

void LibraryDocument::BackUpBeforeWriting(const std::string& path) {
  lastBackup_.clear();
  for (const std::string& done : backedUp_)
    if (lstrcmpiA(done.c_str(), path.c_str()) == 0) return;
  // Only a library that has its backup now (made, or found unchanged) is
  // passed over for the rest of the session: with backups off, or after a
  // failed copy, the next open for writing tries again.
  if (!backups_.Policy().enabled) return;
  std::string error;
  lastBackup_ = backups_.Make(path, error);
  if (!error.empty()) {
    log_.Report("No backup of " + path + ": " + error);
    return;
  }
  backedUp_.push_back(path);
}

bool LibraryDocument::HasStandIn(const std::string& path) const {
  return !path.empty() && !FindRepackLeftovers(path, setup_.tempFolder).empty();
}

bool LibraryDocument::OfferStandIn(const std::string& path, bool missing) {
  std::vector<LeftoverCopy> copies = FindRepackLeftovers(path, setup_.tempFolder);
  // A backup stands in for a damaged library only: one that is gone may
  // have been deleted on purpose.
  std::string backup = missing ? std::string() : backups_.NewestSound(path);
  if (!backup.empty()) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(backup.c_str(), GetFileExInfoStandard, &data)) {
      LeftoverCopy b;
      b.kind = LeftoverCopy::Kind::kBackup;
      b.path = backup;
      b.written = data.ftLastWriteTime;
      b.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      copies.push_back(b);
    }
  }
  const std::string caption = missing ? "Library Missing" : Text(kTextDamagedCaption, "Damaged Library");
  for (const LeftoverCopy& copy : copies) {
    const char* what = "";
    switch (copy.kind) {
      case LeftoverCopy::Kind::kRepackCopy: what = "the whole copy that an interrupted repack wrote beside it"; break;
      case LeftoverCopy::Kind::kEarlierAside:
        what = "the library as an interrupted repack of an earlier version set it aside";
        break;
      case LeftoverCopy::Kind::kEarlierTempCopy:
        what = "a repacked copy that an earlier version left in the temporary folder (it may be of another library)";
        break;
      case LeftoverCopy::Kind::kBackup: what = "its newest sound backup"; break;
    }
    char size[32];
    std::snprintf(size, sizeof size, "%llu kB", static_cast<unsigned long long>(copy.size / 1000));
    std::string question = "The library file\n" + path + "\n" +
                           (missing ? "is missing." : "is damaged.") + "\n\nFound: " + what + ":\n" + copy.path +
                           "\n(written " + DescribeFileTime(copy.written) + ", " + size + ")\n\n" +
                           "Put this copy in the library's place and open it?" +
                           (missing ? "" : " The damaged file is kept beside it.");
    if (prompt_.ShowMessage(question, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) continue;
    std::string failure;
    if (PutStandInInPlace(copy, path, missing, failure)) {
      log_.Report("Library " + path + " taken from " + copy.path);
      return true;
    }
    prompt_.ShowMessage(failure, kFailCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return false;
}

bool LibraryDocument::PutStandInInPlace(const LeftoverCopy& copy, const std::string& path, bool missing,
                                        std::string& failure) {
  if (!missing) {
    // The damaged file is never thrown away: salvage may still find more in it.
    std::string aside = path + ".damaged";
    for (int n = 2; FileExists(aside) && n < 100; ++n) aside = path + ".damaged" + std::to_string(n);
    if (!MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
      failure = "The damaged library file could not be set aside; nothing was changed.";
      return false;
    }
  }
  if (copy.kind != LeftoverCopy::Kind::kBackup) {
    if (MoveFileExA(copy.path.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
      return true;
    failure = "The copy could not be moved into the library's place; it is still at\n" + copy.path;
    return false;
  }
  // A backup stays as it is: it is copied, and the copy renamed into place.
  const std::string incoming = path + ".restoring";
  if (CopyFileA(copy.path.c_str(), incoming.c_str(), FALSE) &&
      SetFileAttributesA(incoming.c_str(), FILE_ATTRIBUTE_NORMAL) &&
      ReplaceWithCheckedCopy(incoming, path) == ReplaceResult::kReplaced)
    return true;
  DeleteFileA(incoming.c_str());
  failure = "The backup could not be copied into the library's place; it is still at\n" + copy.path;
  return false;
}

void LibraryDocument::StoreLastLocation() {
  if (!IsOpen() || ReadOnly()) return;
  WriteSettingsSlot(0, Variant::FromString(host_.CurrentLocation()));
}

bool LibraryDocument::AskBeforeGivingUp() {
  if (ReadOnly()) {
    // Nothing can be saved into a damaged library, not even the location.
    modified_ = false;
    return true;
  }
  if (!modified_ && !host_.TextViewModified()) {
    // Nothing the user changed waits in the transactions: the library is
    // written only for the location, when it moved, and for what the views
    // kept in folders left since the last write.
    const std::string location = host_.CurrentLocation();
    if (path_.empty()) {
      StoreLastLocation();
      root_.Commit();
    } else if (foldersLeft_ || ReadSettingsString(root_, 0) != location) {
      StoreLastLocation();
      WriteOverLibraryFile();
    }
    modified_ = false;
    return true;
  }
  int answer = prompt_.ShowMessage(Text(kTextSaveChangesQuestion, "Save the changes to the library?"),
                                   Text(kTextQueryCaption, kSorry), MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) {
    // The location goes in first, so that the save commits it with the rest.
    StoreLastLocation();
    if (path_.empty()) {
      // The scratch library is saved through the save-copy dialog; when that
      // is cancelled the library stays open instead of losing its changes.
      return SaveCopy();
    }
    // A save that failed keeps the library open: its changes are not lost.
    return Save();
  }
  // No: drop what waits in the transactions, but still remember where the
  // user was, in the file on disk, replaced as a save replaces it.
  std::string location = host_.CurrentLocation();
  modified_ = false;
  if (!writesOnlyOnSave_ && !path_.empty()) {
    KeepFoldersLeftBefore(location);
    ReleaseStorages();
    return true;
  }
  ReleaseStorages();
  StorageHandle onDisk;
  if (!path_.empty() && SUCCEEDED(onDisk.OpenRoot(path_.c_str(), kTransactedMode)) &&
      ReadSettingsString(onDisk, 0) != location &&
      SUCCEEDED(vellora::WriteSettingsSlot(onDisk, 0, Variant::FromString(location)))) {
    std::string failure;
    bool copyKept = false;
    // The copy differs from the library by the location alone.
    if (!ReplaceFileWithRoot(onDisk, path_, RepackPath(), failure, copyKept) && copyKept)
      DeleteFileA(RepackPath().c_str());
  }
  return true;
}

bool LibraryDocument::ChooseStartupLibrary(const std::string& startupPath) {
  std::string candidate = startupPath;
  for (;;) {
    bool fromRecent = false;
    if (candidate.empty()) {
      candidate = recent_.Newest();
      fromRecent = !candidate.empty();
    }
    if (!candidate.empty() && (FileExists(candidate) || HasStandIn(candidate)) && OpenLibrary(candidate)) return true;
    // A damaged file is named as such (and may be salvaged), never taken for a missing one.
    bool damaged = refusedDamaged_;
    if (damaged && ReportDamagedFile(candidate)) return true;
    if (fromRecent) recent_.RemovePath(candidate);
    candidate.clear();  // the start-up path is used for the first attempt only

    int choice = damaged ? prompt_.ShowWelcomeAfterDamage(
                               "The library file is damaged and could not be opened safely. What can be read of "
                               "it may be saved into a new library when it is opened again.")
                         : prompt_.ShowWelcome();
    switch (choice) {
      case kWelcomeOpenNextRecent:
        continue;
      case kWelcomeCreateNew: {
        std::string path;
        if (!AskFile(false, kTextNewLibraryTitle, path)) return false;
        CreateAtChosenPath(path);
        return IsOpen();
      }
      case kWelcomeOpenSpecific: {
        std::string path;
        if (!AskFile(false, kTextOpenLibraryTitle, path)) return false;
        if (!OpenLibrary(path)) {
          ReportOpenFailure();
          if (!IsOpen()) CreateLibrary("");
        }
        return IsOpen();
      }
      case kWelcomeExit:
        return false;
      default:
        return true;
    }
  }
}

// ---- folders ------------------------------------------------------------------

StorageHandle LibraryDocument::OpenFolder(const std::string& name, bool readOnly, bool& isCurrent) const {
  isCurrent = !currentFolderName_.empty() && name == currentFolderName_ && !currentFolder_.Empty();
  if (isCurrent) return StorageHandle(currentFolder_.Get(), false);
  return root_.OpenStorageFor(name.c_str(), readOnly);
}

HRESULT LibraryDocument::SelectCurrentFolder(const std::string& name) {
  if (name == currentFolderName_ && !currentFolder_.Empty()) return S_OK;
  // What the views stored in it without marking the library changed (a
  // list's column widths) now waits in the root's transaction.
  if (!currentFolder_.Empty()) foldersLeft_ = true;
  currentFolder_.Commit();
  currentFolder_.Release();
  currentFolderName_.clear();
  HRESULT hr = root_.OpenStorage(name.c_str(), ReadOnly() ? kReadMode : kTransactedMode, currentFolder_);
  if (SUCCEEDED(hr)) currentFolderName_ = name;
  return hr;
}

bool LibraryDocument::RenameFolder(const std::string& oldName, const std::string& newName) {
  if (folders_.count(newName)) return false;
  bool wasCurrent = oldName == currentFolderName_ && !currentFolder_.Empty();
  if (wasCurrent) {
    currentFolder_.Commit();
    currentFolder_.Release();
  }
  HRESULT hr = root_.RenameElement(oldName.c_str(), newName.c_str());
  if (SUCCEEDED(hr)) {
    auto it = folders_.find(oldName);
    if (it != folders_.end()) {
      FolderInfo info = it->second;
      folders_.erase(it);
      folders_[newName] = info;
    }
  }
  const std::string& reopen = SUCCEEDED(hr) ? newName : oldName;
  if (wasCurrent) {
    currentFolderName_.clear();
    if (SUCCEEDED(root_.OpenStorage(reopen.c_str(), kTransactedMode, currentFolder_))) currentFolderName_ = reopen;
  }
  if (FAILED(hr)) return false;
  modified_ = true;
  return true;
}

HRESULT LibraryDocument::CreateFolder(const std::string& name, uint16_t kind) {
  StorageHandle folder;
  HRESULT hr = root_.CreateOrReplaceStorage(name.c_str(), kWriteMode, folder);
  if (FAILED(hr)) return hr;
  uint16_t order = static_cast<uint16_t>(folderCounter_ + 1);
  hr = folder.WriteClass(FolderClassId(kind, order));
  if (FAILED(hr)) return hr;
  folderCounter_ = order;
  folders_[name] = FolderInfo{order, kind};
  modified_ = true;
  return S_OK;
}

HRESULT LibraryDocument::DeleteFolder(const std::string& name) {
  if (!IsOpen()) return E_UNEXPECTED;
  if (name == currentFolderName_) {
    // Its changes go with it; nothing to commit.
    currentFolder_.Release();
    currentFolderName_.clear();
  }
  HRESULT hr = root_.DestroyElement(name.c_str());
  if (FAILED(hr)) return hr;
  folders_.erase(name);
  modified_ = true;
  return S_OK;
}

HRESULT LibraryDocument::SwapFolderOrders(const std::string& first, const std::string& second) {
  bool firstCurrent = false, secondCurrent = false;
  StorageHandle a = OpenFolder(first, false, firstCurrent);
  StorageHandle b = OpenFolder(second, false, secondCurrent);
  const StorageHandle& one = firstCurrent ? currentFolder_ : a;
  const StorageHandle& two = secondCurrent ? currentFolder_ : b;
  CLSID idOne, idTwo;
  if (one.Empty() || two.Empty()) return STG_E_FILENOTFOUND;
  HRESULT hr = one.ReadClass(idOne);
  if (SUCCEEDED(hr)) hr = two.ReadClass(idTwo);
  if (FAILED(hr)) return hr;
  uint16_t kindOne, orderOne, kindTwo, orderTwo;
  DecodeFolderClassId(idOne, kindOne, orderOne);
  DecodeFolderClassId(idTwo, kindTwo, orderTwo);
  hr = one.WriteClass(FolderClassId(kindOne, orderTwo));
  if (FAILED(hr)) return hr;
  hr = two.WriteClass(FolderClassId(kindTwo, orderOne));
  if (FAILED(hr)) {
    one.WriteClass(idOne);
    return hr;
  }
  folders_[first] = FolderInfo{orderTwo, kindOne};
  folders_[second] = FolderInfo{orderOne, kindTwo};
  modified_ = true;
  return S_OK;
}

Variant LibraryDocument::ReadSettingsSlot(int slot) const { return vellora::ReadSettingsSlot(root_, slot); }

HRESULT LibraryDocument::WriteSettingsSlot(int slot, const Variant& value) {
  HRESULT hr = vellora::WriteSettingsSlot(root_, slot, value);
  modified_ = true;
  return hr;
}

HRESULT LibraryDocument::CreateItem(const StorageHandle& container, uint16_t kind, const char* name, int32_t itemId,
                                    const char* infoStream, const char* contentStream,
                                    const std::vector<std::string>& strings) {
  HRESULT hr = vellora::CreateItem(container, kind, name, itemId, infoStream, contentStream, strings);
  modified_ = true;
  return hr;
}

// ---- commands -------------------------------------------------------------------

bool LibraryDocument::AskFile(bool save, TextKey titleKey, std::string& path) {
  FileDialogRequest request;
  request.save = save;
  request.title = Text(titleKey);
  request.filter = Text(kTextLibraryFilter, "Vellora Library (*.vlx)|*.vlx|All Files (*.*)|*.*|");
  request.defaultExtension = "vlx";
  request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | (save ? 0 : OFN_EXPLORER);
  return prompt_.ChooseFile(request, path);
}

void LibraryDocument::ReportOpenFailure() {
  if (refusedDamaged_) {
    ReportDamagedFile(refusedPath_);
    return;
  }
  prompt_.ShowMessage(Text(kTextOpenFailed, "The library file could not be opened."), kFailCaption,
                      MB_OK | MB_ICONEXCLAMATION);
}

void LibraryDocument::CheckLibraryFile() {
  std::string path;
  if (!AskFile(false, kTextCheckTitle, path)) return;
  std::string caption = Text(kTextCheckTitle, "Check Library");
  if (IsOpen() && !path_.empty() && lstrcmpiA(path.c_str(), path_.c_str()) == 0) {
    if (readOnly_ && damage_.Repairable()) {
      OfferRepair(path, damage_, true);
      return;
    }
    std::string found = readOnly_ ? damage_.Summary(12) : std::string("No damage was found.");
    prompt_.ShowMessage(Fill(Text(kTextCheckOpenLibrary, "The open library was checked when it was opened:\n%s"), found),
                        caption, MB_OK | (readOnly_ ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
    return;
  }
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  if (!report.fileOpened) {
    prompt_.ShowMessage(path + "\n\n" + report.Summary(), caption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (report.Sound()) {
    prompt_.ShowMessage(Fill(Text(kTextCheckSound, "No damage was found in the library file\n%s."), path), caption,
                        MB_OK | MB_ICONINFORMATION);
    return;
  }
  log_.Report("Checked " + path + ":\n" + report.Summary(32));
  if (report.Repairable()) {
    OfferRepair(path, report, false);
    return;
  }
  prompt_.ShowMessage(Fill(Text(kTextCheckDamaged, "The library file is damaged:\n%s"), path + "\n\n" + report.Summary(12)),
                      caption, MB_OK | MB_ICONEXCLAMATION);
}

void LibraryDocument::OfferRepair(const std::string& path, const CompoundFileReport& report, bool isOpenLibrary) {
  std::string caption = Text(kTextCheckTitle, "Check Library");
  std::string backup = RepairBackupPath(path);
  std::string question =
      Fill(Text(kTextCheckDamaged, "The library file is damaged:\n%s"), path + "\n\n" + report.Summary(12)) +
      "\n\nRepair it now? Only the wrong name lengths are written. A copy of the file as it is now is kept "
      "as\n" + backup;
  if (prompt_.ShowMessage(question, caption, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
  // The open library is read-only, so nothing of it is waiting to be saved;
  // it is let go while the file is mended and opened again afterwards.
  if (isOpenLibrary) Close();
  NameLengthRepair done = RepairNameLengths(path, backup);
  log_.Report("Repair of " + path + ": " + done.Summary());
  bool reopened = !isOpenLibrary || OpenLibrary(path);
  prompt_.ShowMessage(done.Summary(), caption,
                      MB_OK | (done.result == RepairResult::kRepaired ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
  if (!reopened) {
    ReportOpenFailure();
    if (!IsOpen()) CreateLibrary("");
  }
}

bool LibraryDocument::ReportDamagedFile(const std::string& path) {
  refusedDamaged_ = false;
  int answer = prompt_.ShowMessage(
      Fill(Text(kTextDamagedRefused, "This library file is damaged and cannot be opened safely.\n\n%s\n\n"
                                     "Save what can be read into a new library?"),
           damage_.Summary()),
      Text(kTextDamagedCaption, "Damaged Library"), MB_YESNO | MB_ICONSTOP);
  return answer == IDYES && SalvageInto(path);
}

bool LibraryDocument::SalvageInto(const std::string& damagedPath) {
  std::string target;
  if (!AskFile(true, kTextSalvageTitle, target)) return false;
  if (lstrcmpiA(target.c_str(), damagedPath.c_str()) == 0) {
    prompt_.ShowMessage("The damaged file itself cannot take what is saved from it; choose another file.",
                        kFailCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // The damaged file must not be open while it is read.
  if (ReadOnly() && lstrcmpiA(path_.c_str(), damagedPath.c_str()) == 0) Close();
  SalvageResult salvaged = SalvageLibrary(damagedPath, target);
  if (FAILED(salvaged.result) || !OpenLibrary(target)) {
    prompt_.ShowMessage("Nothing could be saved from the damaged library into\n" + target + ".", kFailCaption,
                        MB_OK | MB_ICONEXCLAMATION);
    if (!IsOpen()) CreateLibrary("");
    return false;
  }
  log_.Report("Salvaged " + damagedPath + " into " + target + ": " + salvaged.Summary(64));
  prompt_.ShowMessage(Fill(Text(kTextSalvageDone, "What could be read was saved into the new library.\n\n%s"),
                           salvaged.Summary()),
                      Text(kTextDamagedCaption, "Damaged Library"), MB_OK | MB_ICONINFORMATION);
  return true;
}

void LibraryDocument::CreateAtChosenPath(const std::string& path) {
  if (CreateLibrary(path)) return;
  // The scratch library stands in; the user must know the file was not made.
  prompt_.ShowMessage("The library file could not be created:\n" + path + "\n\nAn untitled library is open instead.",
                      kFailCaption, MB_OK | MB_ICONEXCLAMATION);
}

void LibraryDocument::AskAndCreateLibrary() {
  if (IsOpen() && !AskBeforeGivingUp()) return;
  std::string path;
  if (!AskFile(false, kTextNewLibraryTitle, path)) {
    if (!IsOpen()) CreateLibrary("");
    return;
  }
  CreateAtChosenPath(path);
}

void LibraryDocument::AskAndOpenLibrary() {
  if (IsOpen() && !AskBeforeGivingUp()) return;
  std::string path;
  if (!AskFile(false, kTextOpenLibraryTitle, path)) {
    if (!IsOpen()) CreateLibrary("");
    return;
  }
  if (!OpenLibrary(path)) {
    ReportOpenFailure();
    if (!IsOpen()) CreateLibrary("");
  }
}

void LibraryDocument::OpenRecentEntry(int index) {
  if (index < 0 || index >= recent_.Count()) return;
  std::string path = recent_.Entry(index);
  if (!FileExists(path) && !HasStandIn(path)) {
    recent_.Remove(index);
    prompt_.ShowMessage(Text(kTextOpenFailed, "The library file could not be opened."),
                        Text(kTextErrorCaption, kSorry), MB_OK | MB_ICONSTOP);
    return;
  }
  if (IsOpen() && !AskBeforeGivingUp()) return;
  if (!OpenLibrary(path)) {
    ReportOpenFailure();
    if (!IsOpen()) CreateLibrary("");
  }
}

// ---- bookmarks ----------------------------------------------------------------

HRESULT LibraryDocument::AddBookmark(const Bookmark& bookmark) {
  HRESULT hr = AppendBookmark(root_, bookmark);
  if (SUCCEEDED(hr)) {
    bookmarks_.push_back(bookmark);
    modified_ = true;
    host_.RefreshBookmarkMenu();
  }
  return hr;
}

HRESULT LibraryDocument::ReplaceBookmarks(const std::vector<Bookmark>& bookmarks) {
  HRESULT hr = RewriteBookmarks(root_, bookmarks);
  if (SUCCEEDED(hr)) {
    bookmarks_ = bookmarks;
    modified_ = true;
    host_.RefreshBookmarkMenu();
  }
  return hr;
}

}  // namespace vellora
