// Folders renamed in the real Vellora.exe and saved: the file keeps the new
// names exactly, which a reader that is not ours checks next (a test of its
// own reads the copy this test leaves beside the program).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "content/CommandIds.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DamageKit.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

class RenameFolderProgram : public vtest::ProgramFixture {
 protected:
  // Starts the program on the library, which reopens in the folder old, and
  // renames that folder through the "Rename" dialog; then Save and close.
  void RenameInProgram(const std::string& path, const std::string& old, const std::string& renamed) {
    {
      LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
      ASSERT_TRUE(doc.OpenLibrary(path));
      doc.WriteSettingsSlot(0, Variant::FromString(old));
      doc.Save();
    }
    HWND main = Start(path);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FOLDER_RENAME, 0);
    char caption[96];
    std::snprintf(caption, sizeof caption, rig_.texts.TextOr(vellora::kTextRenameFolderCaption, "Rename Folder \"%s\"").c_str(), old.c_str());
    HWND dialog = program_.WaitForWindow(caption);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, IDC_RENAME_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(renamed.c_str()));
    vtest::ClickButton(dialog, IDOK);
    ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(dialog); }));
    PostMessageA(main, WM_COMMAND, ID_FILE_SAVE, 0);
    Close(main, false);
  }
};

TEST_F(RenameFolderProgram, RenamedFoldersAreSavedUnderTheirExactNames) {
  const std::string path = rig_.dir.File("renamed.vlx");
  const std::string forTheReader = vtest::BinFolder() + "\\renamed.vlx";
  DeleteFileA(forTheReader.c_str());  // only a file this run made is read next
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    ASSERT_HRESULT_SUCCEEDED(doc.CreateFolder("Inbox", kFolderCatalog));
    ASSERT_HRESULT_SUCCEEDED(doc.CreateFolder("Mailbox", kFolderCatalog));
    doc.Save();
  }
  // A shorter name (the old length would leave a NUL behind it) and a longer one (it would be cut).
  RenameInProgram(path, "Inbox", "Mail");
  RenameInProgram(path, "Mailbox", "Letters kept for later");
  vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
  for (const char* name : {"Mail", "Letters kept for later"}) {
    SCOPED_TRACE(name);
    uint32_t entry = file.EntryIndex(name);
    ASSERT_NE(entry, 0xFFFFFFFFu);
    EXPECT_EQ(file.NameLengthField(entry), (std::strlen(name) + 1) * 2);
  }
  EXPECT_EQ(file.EntryIndex("Inbox"), 0xFFFFFFFFu);
  EXPECT_TRUE(CheckCompoundFile(path.c_str()).Sound());
  CopyFileA(path.c_str(), forTheReader.c_str(), FALSE);
}

}  // namespace
