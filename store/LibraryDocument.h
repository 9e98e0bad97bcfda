#pragma once
// The library document: the one open library file, whether it has unsaved
// changes, and the File-menu operations on it (new, open, save, save copy,
// restore, repack, close and the question asked before a library is given up).
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/CompoundFileCheck.h"
#include "store/DocumentHost.h"
#include "store/LibraryBackups.h"
#include "store/LibraryFormat.h"
#include "store/RecentList.h"
#include "store/SafeFileReplace.h"
#include "store/Services.h"
#include "store/StorageHandle.h"
#include "store/UserPrompt.h"

namespace vellora {

struct FolderInfo {
  uint16_t order = 0;
  uint16_t kind = 0;
};

struct DocumentSetup {
  std::string applicationTitle = "Vellora";
  HKEY registryRoot = HKEY_CURRENT_USER;
  std::string registryKey = "Software\\Vellora";  // the recent list lives below it
  std::string tempFolder;                          // empty: GetTempPath
  // The automatic backups; nothing: as kept under registryKey\Backups.
  std::optional<BackupPolicy> backups;
};

class LibraryDocument {
 public:
  LibraryDocument(DocumentHost& host, UserPrompt& prompt, const TextSource& texts, DiagnosticSink& log,
                  DocumentSetup setup = {});
  ~LibraryDocument();
  LibraryDocument(const LibraryDocument&) = delete;
  LibraryDocument& operator=(const LibraryDocument&) = delete;

  // ---- lifecycle ----
  // Always leaves a library open (the scratch library when the path fails).
  bool CreateLibrary(const std::string& path);
  // True when the file was opened (also when a failed password gave way to the
  // scratch library). A file that fails the structural check is opened
  // read-only when the platform can read it safely, and refused otherwise
  // (LastOpenDamage() then says why). When the file is missing or fails the
  // check and a whole copy an interrupted repack left of it is found, or it
  // fails the check and has a sound backup, the user is offered that copy in
  // its place first. The first open of a library for writing in a session
  // keeps a backup of it.
  bool OpenLibrary(const std::string& path);
  // Saves what can be read of a damaged library into a new file chosen by the
  // user and opens that; false when cancelled or nothing could be saved.
  bool SalvageInto(const std::string& damagedPath);
  // Writes the whole library anew beside its file and puts it in the file's
  // place in one step (the scratch library: Save Copy). False when nothing
  // was saved; the user has been told why and the changes are still open.
  bool Save();
  // False when the user cancelled the dialog (or the copy could not be made).
  bool SaveCopy();
  // Writes what the library holds now, saved or not, into a new file at
  // path, and goes on as it was (neither saved nor switched to the copy).
  HRESULT WriteSnapshot(const std::string& path);
  void RestoreToLastSave();
  bool Repack();
  // False when the user chose Cancel.
  bool AskBeforeGivingUp();
  void Close();
  void SetPath(const std::string& path);
  void StoreLastLocation();
  // Chooses the library open when the program starts; false ends the program.
  bool ChooseStartupLibrary(const std::string& startupPath);

  // ---- folders ----
  HRESULT SelectCurrentFolder(const std::string& name);
  bool RenameFolder(const std::string& oldName, const std::string& newName);
  // Creates (or replaces) a folder storage with its class id.
  HRESULT CreateFolder(const std::string& name, uint16_t kind);
  // Destroys a folder; the current folder's storage is let go first.
  HRESULT DeleteFolder(const std::string& name);
  // Two folders exchange their order numbers (in their class ids).
  HRESULT SwapFolderOrders(const std::string& first, const std::string& second);

  // ---- format-level operations marking the library modified ----
  Variant ReadSettingsSlot(int slot) const;
  HRESULT WriteSettingsSlot(int slot, const Variant& value);
  HRESULT CreateItem(const StorageHandle& container, uint16_t kind, const char* name, int32_t itemId,
                     const char* infoStream, const char* contentStream, const std::vector<std::string>& strings);

  // ---- what the File menu's commands run ----
  // New and Open: the question before giving up the library, the file
  // dialog, then create or open (the scratch library when an open fails).
  void AskAndCreateLibrary();
  void AskAndOpenLibrary();
  // The recent entry at index of the oldest-first list.
  void OpenRecentEntry(int index);
  // Checks a library file chosen by the user for damage and says what was
  // found. The open library cannot be read while it is open: for it, the
  // check made when it was opened is reported. A file whose only damage is
  // wrong name lengths is offered the repair (the open library is let go
  // for it and opened again).
  void CheckLibraryFile();
  // Closes the main window as Exit does.
  void RequestClose() { host_.CloseMainWindow(); }

  // ---- state ----
  bool IsOpen() const { return !root_.Empty(); }
  const std::string& Path() const { return path_; }
  bool IsScratch() const { return IsOpen() && path_.empty(); }
  // The open library failed the structural check and is open read-only:
  // nothing is ever written into it.
  bool ReadOnly() const { return IsOpen() && readOnly_; }
  // What the check found in the open library (read-only) or in the file the
  // last open refused.
  const CompoundFileReport& Damage() const { return damage_; }
  bool LastOpenRefusedDamage() const { return refusedDamaged_; }
  // How many elements a walk of the open library may visit: in a damaged
  // library, no more than its directory holds (a walk past that revisits
  // elements); unbounded otherwise.
  size_t ElementBudget() const { return ReadOnly() ? damage_.directoryEntries : static_cast<size_t>(-1); }
  bool Modified() const { return modified_; }
  void SetModified(bool modified = true) { modified_ = modified; }
  const StorageHandle& Root() const { return root_; }
  const StorageHandle& CurrentFolder() const { return currentFolder_; }
  const std::string& CurrentFolderName() const { return currentFolderName_; }
  // The folder's storage: the held current folder when the name is the
  // current folder's, else a new handle opened from the root.
  StorageHandle OpenFolder(const std::string& name, bool readOnly, bool& isCurrent) const;
  const std::map<std::string, FolderInfo>& Folders() const { return folders_; }
  uint16_t FolderCounter() const { return folderCounter_; }
  int32_t ItemCounter() const { return itemCounter_; }
  void SetItemCounter(int32_t value) { itemCounter_ = value; }
  int32_t NextItemId() { return ++itemCounter_; }
  const std::vector<Bookmark>& Bookmarks() const { return bookmarks_; }
  // Appends one bookmark / replaces the whole list, stores the list in the
  // library and has the bookmark menus refilled.
  HRESULT AddBookmark(const Bookmark& bookmark);
  HRESULT ReplaceBookmarks(const std::vector<Bookmark>& bookmarks);
  RecentList& Recent() { return recent_; }
  std::string ScratchPath() const;
  // Where Repack writes the new copy, beside the library.
  std::string RepackPath() const;
  const LibraryBackups& Backups() const { return backups_; }
  void SetBackupPolicy(const BackupPolicy& policy) { backups_ = LibraryBackups(policy); }
  // The backup the last open made; empty when it made none.
  const std::string& LastBackup() const { return lastBackup_; }

 private:
  void LoadIntoViews(bool reloadBookmarks);
  void CreateAtChosenPath(const std::string& path);
  bool AskFile(bool save, TextKey titleKey, std::string& path);
  void ReportOpenFailure();
  // The open failed because the file is damaged: says so, offers salvage.
  // True when a salvaged library is open now.
  bool ReportDamagedFile(const std::string& path);
  void OfferRepair(const std::string& path, const CompoundFileReport& report, bool isOpenLibrary);
  void ReleaseStorages();
  // The library at path is missing or failed the check: offers the whole
  // copies found of it, one after the other. True when one was put in its place.
  bool OfferStandIn(const std::string& path, bool missing);
  // A missing library of which a whole copy may be offered.
  bool HasStandIn(const std::string& path) const;
  bool PutStandInInPlace(const LeftoverCopy& copy, const std::string& path, bool missing, std::string& failure);
  void BackUpBeforeWriting(const std::string& path);
  // The library file is never written in place: what the root's transaction
  // holds (the current folder's changes handed to it first) is written by our
  // own writer into a whole copy beside the file, flushed and checked while
  // the library is still open, and put in the file's place by one rename; the
  // library is then opened again, its current folder too. A kill at any
  // moment leaves the old library or the new one. False, with the user told,
  // when the copy could not be made or moved in; nothing is lost then: the
  // library stays open as it was, or, when only the rename failed, the copy is
  // open in its place under its own name.
  bool WriteOverLibraryFile();
  // Opened from the disk: the current folder's changes are dropped and what
  // the folders left before handed to the root is written over the file,
  // with the location when one is given.
  void KeepFoldersLeftBefore(const std::string& location);
  // The one-step replacement of file by what root holds; root is let go on
  // the way. failure says what went wrong when false; copyKept is set when
  // the copy holding root's contents is left at copyPath.
  bool ReplaceFileWithRoot(StorageHandle& root, const std::string& file, const std::string& copyPath,
                           std::string& failure, bool& copyKept);
  std::string Text(TextKey key, const char* fallback = "") const { return texts_.TextOr(key, fallback); }

  DocumentHost& host_;
  UserPrompt& prompt_;
  const TextSource& texts_;
  DiagnosticSink& log_;
  DocumentSetup setup_;

  std::string path_;
  StorageHandle root_;
  StorageHandle currentFolder_;
  std::string currentFolderName_;
  bool modified_ = false;
  // A library made by New or Save Copy reaches its file only by Save; one
  // opened from the disk also keeps, on Restore and on No to the close
  // question, the changes of the folders left before (written as a save is).
  bool writesOnlyOnSave_ = false;
  // A folder was left since the library was last written: an unchanged
  // library is still written at close, for what the views kept in it.
  bool foldersLeft_ = false;
  bool readOnly_ = false;
  bool refusedDamaged_ = false;
  std::string refusedPath_;
  CompoundFileReport damage_;
  std::map<std::string, FolderInfo> folders_;
  uint16_t folderCounter_ = 0;
  int32_t itemCounter_ = 0;
  std::vector<Bookmark> bookmarks_;
  RecentList recent_;
  LibraryBackups backups_;
  std::string lastBackup_;
  std::vector<std::string> backedUp_;  // libraries backed up in this session
};

}  // namespace vellora
