#pragma once
// What the library document needs of the main frame. The frame implements
// it; tests implement it with a recorder.
#include <cstdint>
#include <string>

namespace vellora {

class DocumentHost {
 public:
  virtual ~DocumentHost() = default;
  // Stores the text view's unsaved edits into their node or item and clears
  // the view's modified flag.
  virtual void StoreTextViewContent() = 0;
  // True when the text view's edit control holds unsaved edits.
  virtual bool TextViewModified() = 0;
  // Empties every view and the outlook bar.
  virtual void ClearViews() = 0;
  virtual void AddFolder(const std::string& name, uint16_t kind) = 0;
  // The location path of the item shown now, and going to one.
  virtual std::string CurrentLocation() = 0;
  virtual bool GoToLocation(const std::string& location) = 0;
  virtual void SelectFirstFolder() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void RefreshBookmarkMenu() = 0;
  // Closes the main window as Exit does (its close handler asks first).
  virtual void CloseMainWindow() = 0;
  // Gives the views the look stored in the library just opened or created,
  // before its folders and its last location are shown.
  virtual void ApplyLibraryLook() {}
};

}  // namespace vellora
