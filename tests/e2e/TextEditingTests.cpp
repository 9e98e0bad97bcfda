// Writing a note in the real Vellora.exe, driven from this process: typed on
// the keyboard, tidied with a text tool, kept while another node is shown,
// stored by the close question's Yes and read back from the file with no
// tail of the longer note it replaced.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "content/CommandIds.h"
#include "content/TreeNodes.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/NoteLibrary.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

using vtest::Press;
using vtest::Type;
using vtest::WaitUntil;

// The content of a leaf of the file: everything after its 40-byte record.
std::string LeafContent(const std::string& path, const std::string& folder, const std::string& leaf) {
  StorageHandle root;
  if (FAILED(root.OpenRoot(path.c_str(), kReadMode))) return "<cannot open>";
  StorageHandle tree = root.OpenStorageFor(folder.c_str(), true);
  StreamHandle stream = tree.OpenStreamFor(leaf.c_str(), true);
  if (!stream) return "<no leaf>";
  stream.Seek(kRecordSize, STREAM_SEEK_SET);
  std::string bytes(static_cast<size_t>(stream.Remaining()), '\0');
  ULONG got = 0;
  stream.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  bytes.resize(got);
  return bytes;
}

using TextEditingProgram = vtest::ProgramFixture;

TEST_F(TextEditingProgram, ANoteTypedAndTidiedIsStoredWholeAndOnlyWhole) {
  const std::string path = rig_.dir.File("notes.vlx");
  const std::string tree = rig_.texts.TextOr(kTextFirstTreeFolder, "");
  const std::string old = "{\\rtf1\\ansi " + std::string(3000, 'o') + " the old and longer note}";
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    StorageHandle folder = doc.Root().OpenStorageFor(tree.c_str(), false);
    vtest::AddNote(folder, "First", 1, old);
    vtest::AddNote(folder, "Second", 2, "{\\rtf1\\ansi The second note}");
    folder.Release();
    doc.WriteSettingsSlot(0, Variant::FromString(tree + "\\First"));
    doc.Save();
  }
  HWND main = Start(path);
  ASSERT_NE(main, nullptr);
  HWND edit = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    edit = vtest::FindChildOfClass(main, "VelloraTextView");
    return edit && vtest::TextOf(edit).find("old and longer") != std::string::npos;
  })) << (edit ? vtest::TextOf(edit) : std::string("no text view"));

  // Everything is replaced by what the user types, with spaces at the end of
  // its first line, which the tool removes.
  SetForegroundWindow(main);
  Sleep(300);
  // Ctrl+Tab takes the keyboard from the tree to the note.
  Press(VK_TAB, VK_CONTROL);
  Sleep(300);
  PostMessageA(main, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
  Sleep(300);
  Type("Fresh words   ");
  Press(VK_RETURN);
  Type("second line");
  ASSERT_TRUE(WaitUntil([&] { return vtest::TextOf(edit).find("second line") != std::string::npos; })) << vtest::TextOf(edit);
  PostMessageA(main, WM_COMMAND, ID_TEXT_DELETE_LINE_END_SPACES, 0);
  ASSERT_TRUE(WaitUntil([&] { return vtest::TextOf(edit).find("Fresh words\r") != std::string::npos; })) << vtest::TextOf(edit);

  // Another node and back: the edit was stored when the note was left.
  HWND treeView = vtest::FindChildOfClass(main, WC_TREEVIEWA);
  auto root = reinterpret_cast<HTREEITEM>(SendMessageA(treeView, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  auto second = reinterpret_cast<HTREEITEM>(SendMessageA(treeView, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(root)));
  SendMessageA(treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(second));
  ASSERT_TRUE(WaitUntil([&] {
    edit = vtest::FindChildOfClass(main, "VelloraTextView");
    return edit && vtest::TextOf(edit).find("second note") != std::string::npos;
  }));
  SendMessageA(treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
  ASSERT_TRUE(WaitUntil([&] {
    edit = vtest::FindChildOfClass(main, "VelloraTextView");
    return edit && vtest::TextOf(edit).find("Fresh words") != std::string::npos;
  }));

  // The close question: Yes saves.
  Close(main, true);

  const std::string stored = LeafContent(path, tree, "First");
  EXPECT_NE(stored.find("Fresh words\\par"), std::string::npos) << stored.substr(0, 400);
  EXPECT_NE(stored.find("second line"), std::string::npos);
  EXPECT_EQ(stored.find("Fresh words "), std::string::npos);  // the spaces were removed before it was stored
  EXPECT_EQ(stored.find("ooo"), std::string::npos);           // no tail of the longer note
  // The content ends with the rich text's closing brace (and the line end
  // and NUL the control writes after it).
  const size_t brace = stored.find_last_of('}');
  ASSERT_NE(brace, std::string::npos);
  EXPECT_EQ(stored.find_first_not_of(std::string("\r\n\0", 3), brace + 1), std::string::npos);
}

}  // namespace
