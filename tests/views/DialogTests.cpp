// The dialogs as units, each run modally here and driven from a second
// thread as a user would: their limits, their refusals and their answers.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/StringTable.h"
#include "store/LibraryFormat.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/dialogs/AddFolderDialog.h"
#include "views/dialogs/AddItemDialog.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/FolderPickDialog.h"
#include "views/dialogs/ImportWebDialog.h"
#include "views/dialogs/ProgressDialog.h"
#include "views/dialogs/PasswordPromptDialog.h"
#include "views/dialogs/RenameDialog.h"

using namespace vellora;
using vtest::Click;
using vtest::SetControlText;

namespace {

const StringTable& Texts() { return vtest::ShippedTexts(); }

TEST(Dialogs, RenameCutsAtThirtyOneBytesAndRefusesAnEmptyName) {
  RenameDialog dialog("Rename Folder \"x\"", std::string(40, 'a'), "Tip");
  std::string shownFirst, refusal;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog("Rename Folder \"x\"");
    ASSERT_NE(d, nullptr);
    shownFirst = vtest::ControlText(d, IDC_RENAME_EDIT);
    SetControlText(d, IDC_RENAME_EDIT, "");
    Click(d, IDOK);
    vtest::AnswerMessageBox("Tip", IDOK, &refusal);
    SetControlText(d, IDC_RENAME_EDIT, std::string(29, 'b') + "cdef");
    Click(d, IDOK);
  });
  ASSERT_TRUE(dialog.Ask(nullptr));
  EXPECT_EQ(shownFirst, std::string(31, 'a'));
  EXPECT_EQ(refusal, "The name can not be empty!");
  EXPECT_EQ(dialog.Text(), std::string(29, 'b') + "cd");
}

TEST(Dialogs, RenameNeverKeepsHalfADoubleByteCharacter) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  RenameDialog dialog("Rename", "", "Tip");
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog("Rename");
    ASSERT_NE(d, nullptr);
    SetControlText(d, IDC_RENAME_EDIT, std::string(30, 'x') + "\xC4\xE3");
    Click(d, IDOK);
  });
  ASSERT_TRUE(dialog.Ask(nullptr));
  EXPECT_EQ(dialog.Text(), std::string(30, 'x'));
}

TEST(Dialogs, AddFolderTakesNineteenBytesAndTheKind) {
  struct Case {
    std::string typed;
    int kindButton;  // 0: as the dialog opens
    NewFolderRequest expected;
  } cases[] = {
      {"Recipes", 0, {"Recipes", kFolderCatalog}},
      {std::string(25, 'n'), IDC_FOLDER_TREE, {std::string(19, 'n'), kFolderTree}},
  };
  for (const Case& c : cases) {
    AddFolderDialog dialog(Texts());
    std::string warning;
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Add Folder");
      ASSERT_NE(d, nullptr);
      Click(d, IDOK);  // empty: refused
      vtest::AnswerMessageBox(Texts().TextOr(kTextAddFolderCaption, "Add Folder"), IDOK, &warning);
      SetControlText(d, IDC_FOLDER_NAME, c.typed);
      if (c.kindButton) SendMessageA(GetDlgItem(d, c.kindButton), BM_CLICK, 0, 0);
      Click(d, IDOK);
    });
    NewFolderRequest answer;
    ASSERT_TRUE(dialog.Ask(nullptr, answer)) << c.typed;
    EXPECT_EQ(answer.name, c.expected.name);
    EXPECT_EQ(answer.kind, c.expected.kind);
    EXPECT_EQ(warning, Texts().TextOr(kTextFolderNameEmpty, ""));
  }
}

TEST(Dialogs, AddInformationItemCollectsColumnsAndRefusesWhatIsMissing) {
  AddItemDialog dialog(Texts());
  const std::string caption = Texts().TextOr(kTextAddItemCaption, "Add Information Item");
  std::string empty, same, noColumns, listed;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog(caption);
    ASSERT_NE(d, nullptr);
    SetControlText(d, IDC_ITEM_TITLE, "Phones");
    SendMessageA(GetDlgItem(d, IDC_ITEM_KIND_LIST), BM_CLICK, 0, 0);
    Click(d, IDOK);
    vtest::AnswerMessageBox(Texts().TextOr(kTextTipCaption, "Tip"), IDOK, &noColumns);
    Click(d, IDC_ITEM_LIST_ADD);
    vtest::AnswerMessageBox("Fail", IDOK, &empty);
    for (const char* title : {"Name", "Phone"}) {
      SetControlText(d, IDC_ITEM_LIST_EDIT, title);
      SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_ADD), BM_CLICK, 0, 0);
    }
    SetControlText(d, IDC_ITEM_LIST_EDIT, "Name");  // the same title again: refused
    Click(d, IDC_ITEM_LIST_ADD);
    vtest::AnswerMessageBox("Fail", IDOK, &same);
    SetControlText(d, IDC_ITEM_LIST_EDIT, "name");  // another in letter case only: taken
    SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_ADD), BM_CLICK, 0, 0);
    HWND list = GetDlgItem(d, IDC_ITEM_LIST);
    // "name" down past the end does nothing; "Name" up past the top neither;
    // "Phone" up swaps with "Name"; then "name" is deleted.
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_DOWN), BM_CLICK, 0, 0);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_UP), BM_CLICK, 0, 0);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_UP), BM_CLICK, 0, 0);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(GetDlgItem(d, IDC_ITEM_LIST_DELETE), BM_CLICK, 0, 0);
    listed = std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0));
    Click(d, IDOK);
  });
  NewItemRequest answer;
  ASSERT_TRUE(dialog.Ask(nullptr, answer));
  EXPECT_EQ(noColumns, Texts().TextOr(kTextListNeedsColumn, ""));
  EXPECT_EQ(empty, "Column title can not be empty.");
  EXPECT_EQ(same, "Column title can not be same.");
  EXPECT_EQ(listed, "1");  // after deleting the last, the one before it is selected
  EXPECT_EQ(answer.title, "Phones");
  EXPECT_EQ(answer.kind, kItemDataList);
  EXPECT_EQ(answer.columns, (std::vector<std::string>{"Phone", "Name"}));
}

TEST(Dialogs, AWebPageNeedsItsAddressAndAnEmptyTitleIsRefused) {
  AddItemDialog dialog(Texts(), "Add TabPage");
  std::string noTitle, noAddress;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog("Add TabPage");
    ASSERT_NE(d, nullptr);
    Click(d, IDOK);
    vtest::AnswerMessageBox("Fail", IDOK, &noTitle);
    SetControlText(d, IDC_ITEM_TITLE, "Home page");
    SendMessageA(GetDlgItem(d, IDC_ITEM_KIND_WEB), BM_CLICK, 0, 0);
    Click(d, IDOK);
    vtest::AnswerMessageBox(Texts().TextOr(kTextTipCaption, "Tip"), IDOK, &noAddress);
    SetControlText(d, IDC_ITEM_LIST_EDIT, "http://example.org/");
    Click(d, IDOK);
  });
  NewItemRequest answer;
  ASSERT_TRUE(dialog.Ask(nullptr, answer));
  EXPECT_EQ(noTitle, "Sorry but folder name can not be empty!");
  EXPECT_EQ(noAddress, Texts().TextOr(kTextWebAddressEmpty, ""));
  EXPECT_EQ(answer.kind, kItemWebLink);
  EXPECT_EQ(answer.address, "http://example.org/");
}

TEST(Dialogs, ImportWebpageOpensOnALinkTakesAChosenFileAndCutsTheAddress) {
  struct Case {
    bool choose;       // "..." picks a file
    bool embed;        // "Embed webpage content" clicked
    std::string typed;
    WebImportRequest expected;
  } cases[] = {
      {false, false, std::string(300, 'u'), {std::string(259, 'u'), false}},
      {true, true, "", {"C:\\pages\\chosen.html", true}},
  };
  for (const Case& c : cases) {
    ImportWebDialog dialog;
    int asked = 0;
    dialog.chooseFile = [&](HWND, std::string& path) {
      ++asked;
      path = "C:\\pages\\chosen.html";
      return true;
    };
    bool linkAtOpening = false;
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Import webpage");
      ASSERT_NE(d, nullptr);
      linkAtOpening = IsDlgButtonChecked(d, IDC_IMPORT_WEB_LINK) == BST_CHECKED &&
                      IsDlgButtonChecked(d, IDC_IMPORT_WEB_EMBED) != BST_CHECKED;
      if (c.choose) Click(d, IDC_IMPORT_WEB_BROWSE);
      else SetControlText(d, IDC_IMPORT_WEB_ADDRESS, c.typed);
      if (c.embed) SendMessageA(GetDlgItem(d, IDC_IMPORT_WEB_EMBED), BM_CLICK, 0, 0);
      Click(d, IDOK);
    });
    WebImportRequest answer;
    ASSERT_TRUE(dialog.Ask(nullptr, answer));
    EXPECT_TRUE(linkAtOpening);
    EXPECT_EQ(asked, c.choose ? 1 : 0);
    EXPECT_EQ(answer.address, c.expected.address);
    EXPECT_EQ(answer.embed, c.expected.embed);
  }
}

TEST(Dialogs, ProgressShowsOnlyForALongRunTakesCancelAndGivesTheOwnerBack) {
  vtest::HiddenParent owner;
  ShowWindow(owner.Handle(), SW_SHOWNA);
  {
    // A short run never shows the dialog.
    ProgressDialog quick(owner.Handle(), "Exporting quick");
    EXPECT_TRUE(quick.Step(1, 2));
    EXPECT_FALSE(quick.Handle());
  }
  auto progress = std::make_unique<ProgressDialog>(owner.Handle(), "Exporting notes");
  Sleep(ProgressDialog::kShowAfterMs + 50);
  ASSERT_TRUE(progress->Step(1, 4));
  ASSERT_TRUE(progress->Handle());
  EXPECT_TRUE(IsWindowVisible(progress->Handle()));
  EXPECT_FALSE(IsWindowEnabled(owner.Handle())) << "the owner takes input while the run goes on";
  EXPECT_EQ(SendDlgItemMessageA(progress->Handle(), IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 250);
  EXPECT_EQ(vtest::ControlText(progress->Handle(), IDC_PROGRESS_TEXT), "1 of 4");
  // Cancel, as a click sends it: the next step says stop, and stays so.
  PostMessageA(progress->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(progress->Step(2, 4));
  EXPECT_FALSE(progress->Step(3, 4));
  EXPECT_TRUE(progress->Cancelled());
  progress.reset();
  EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the owner was not given back";
}

TEST(Dialogs, FolderSelectionOpensWithItsModeAndAnswersTheCheckedNamesInListOrder) {
  const std::vector<std::string> names = {"Alpha", "Beta", "Gamma"};
  struct Case {
    FolderPickMode mode;
    std::vector<std::string> checkedAtOpening;
    const char* caption;
    const char* label;
    std::vector<int> toCheck;  // rows checked by the user after an empty Ok was refused
    std::vector<std::string> expected;
  } cases[] = {
      {FolderPickMode::kExport, {"Beta"}, "Export Folder", "Select the folders to export:", {}, {"Beta"}},
      {FolderPickMode::kImport, {}, "Import Folders", "Please select the folders to import:", {2, 0},
       {"Alpha", "Gamma"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    FolderPickDialog dialog(Texts(), c.mode, names, c.checkedAtOpening);
    std::string label, refusal;
    std::vector<bool> atOpening;
    int width = 0;
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog(c.caption);
      ASSERT_NE(d, nullptr);
      label = vtest::ControlText(d, IDC_FOLDER_PICK_LABEL);
      HWND list = GetDlgItem(d, IDC_FOLDER_PICK_LIST);
      width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
      for (int i = 0; i < 3; ++i)
        atOpening.push_back((SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
                            INDEXTOSTATEIMAGEMASK(2));
      if (!c.toCheck.empty()) {
        Click(d, IDOK);
        vtest::AnswerMessageBox(Texts().TextOr(kTextTipCaption, "Tip"), IDOK, &refusal);
        for (int row : c.toCheck) {
          LVITEMA state = {};
          state.stateMask = LVIS_STATEIMAGEMASK;
          state.state = INDEXTOSTATEIMAGEMASK(2);
          SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        }
      }
      Click(d, IDOK);
    });
    ASSERT_TRUE(dialog.Ask(nullptr));
    EXPECT_EQ(label, c.label);
    EXPECT_EQ(width, 120);
    for (size_t i = 0; i < names.size(); ++i)
      EXPECT_EQ(atOpening.at(i), names[i] == "Beta" && c.mode == FolderPickMode::kExport) << names[i];
    EXPECT_EQ(refusal, c.toCheck.empty() ? "" : "You have not select any fodler.");
    EXPECT_EQ(dialog.Checked(), c.expected);
  }
}

TEST(Dialogs, ThePasswordPromptGivesFourChances) {
  struct Case {
    std::vector<std::string> typed;
    bool opens;
    std::vector<std::string> captions;  // after each wrong answer that leaves it open
  } cases[] = {
      {{"secret"}, true, {}},
      {{"Secret", "secret"}, true, {"Password authentication - you have still 3 chances to input"}},
      {{"a", "b", "c", "d"},
       false,
       {"Password authentication - you have still 3 chances to input",
        "Password authentication - you have still 2 chances to input",
        "Password authentication - you have still 1 chances to input"}},
      // Typed past the 19 bytes a password holds: the rest is cut.
      {{std::string(19, 'p') + "extra"}, true, {}},
  };
  for (const Case& c : cases) {
    const std::string expected = c.typed[0].size() > 19 ? std::string(19, 'p') : "secret";
    PasswordPromptDialog dialog(Texts(), "Library with a rather long name.vlx", expected);
    std::vector<std::string> captions;
    std::string prompt;
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Password");
      ASSERT_NE(d, nullptr);
      prompt = vtest::ControlText(d, IDC_PASSWORD_TEXT);
      for (size_t i = 0; i < c.typed.size(); ++i) {
        SetControlText(d, IDC_PASSWORD_EDIT, c.typed[i]);
        Click(d, IDOK);
        if (i + 1 < c.typed.size()) {
          vtest::AnswerMessageBox(Texts().TextOr(kTextTipCaption, "Tip"), IDOK);
          char caption[128] = "";
          GetWindowTextA(d, caption, sizeof caption);
          captions.push_back(caption);
        }
      }
      if (!c.opens && c.typed.size() < 4) Click(d, IDCANCEL);
    });
    EXPECT_EQ(dialog.Ask(nullptr), c.opens) << c.typed.back();
    EXPECT_EQ(captions, c.captions);
    EXPECT_EQ(prompt, "Please input password to access item [Library with a rat]");
  }
}

}  // namespace
