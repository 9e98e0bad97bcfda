// "Set Password - Empty to clear" as a user fills it: the old password only
// when one is set, the refusals that keep it open, the 19-byte cut.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StringTable.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/SetPasswordDialog.h"

using namespace vellora;

namespace {

const StringTable& Texts() { return vtest::ShippedTexts(); }

constexpr char kCaption[] = "Set Password - Empty to clear";

struct Attempt {
  std::string old, fresh, confirm;
};

// Runs the dialog with the attempts typed one after the other; the refusals
// shown in between are answered and their texts kept. The last attempt is
// expected to close it unless cancel is set.
struct Outcome {
  bool confirmed = false;
  std::string result;
  bool oldEnabled = false;
  std::vector<std::string> refusals;
  std::string note;
};

Outcome Drive(const std::string& current, const std::vector<Attempt>& attempts, bool cancel = false) {
  SetPasswordDialog dialog(Texts(), current);
  Outcome out;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog(kCaption);
    ASSERT_NE(d, nullptr);
    out.oldEnabled = IsWindowEnabled(GetDlgItem(d, IDC_SET_PASSWORD_OLD)) != FALSE;
    out.note = vtest::ControlText(d, IDC_SET_PASSWORD_NOTE);
    for (size_t i = 0; i < attempts.size(); ++i) {
      vtest::SetControlText(d, IDC_SET_PASSWORD_OLD, attempts[i].old);
      vtest::SetControlText(d, IDC_SET_PASSWORD_NEW, attempts[i].fresh);
      vtest::SetControlText(d, IDC_SET_PASSWORD_CONFIRM, attempts[i].confirm);
      vtest::Click(d, IDOK);
      if (i + 1 < attempts.size() || cancel) {
        std::string text;
        EXPECT_TRUE(vtest::AnswerMessageBox(Texts().TextOr(kTextErrorCaption, "Error"), IDOK, &text));
        out.refusals.push_back(text);
      }
    }
    if (cancel) vtest::Click(d, IDCANCEL);
  });
  out.confirmed = dialog.Ask(nullptr);
  out.result = dialog.Result();
  return out;
}

TEST(SetPasswordDialog, AsksForTheOldPasswordOnlyWhenOneIsSet) {
  Outcome first = Drive("", {{"ignored", "Secret", "Secret"}});
  EXPECT_FALSE(first.oldEnabled);
  EXPECT_TRUE(first.confirmed);
  EXPECT_EQ(first.result, "Secret");
  // Users are told what the password is worth.
  EXPECT_NE(first.note.find("plain text"), std::string::npos);

  Outcome change = Drive("Secret", {{"secret", "New", "New"}, {"Secret", "New", "Neu"}, {"Secret", "New", "New"}});
  EXPECT_TRUE(change.oldEnabled);
  EXPECT_TRUE(change.confirmed);
  EXPECT_EQ(change.result, "New");
  EXPECT_EQ(change.refusals,
            (std::vector<std::string>{"Error old password.", "New password is not equal to confirm password!"}));

  Outcome cleared = Drive("Secret", {{"Secret", "", ""}});
  EXPECT_TRUE(cleared.confirmed);
  EXPECT_EQ(cleared.result, "");

  Outcome cancelled = Drive("Secret", {{"wrong", "x", "x"}}, true);
  EXPECT_FALSE(cancelled.confirmed);
}

TEST(SetPasswordDialog, EveryEditIsCutAtNineteenBytes) {
  const std::string typed = "abcdefghijklmnopqrstuvwxy";  // 25 characters
  Outcome out = Drive(typed.substr(0, 19), {{typed, typed, typed}});
  EXPECT_TRUE(out.confirmed);  // the old one was cut as it was stored
  EXPECT_EQ(out.result, typed.substr(0, 19));
}

TEST(SetPasswordDialog, NeverKeepsHalfADoubleByteCharacter) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  // 18 single bytes, then a character of two: the 19-byte cut must not split it.
  const std::string typed = std::string(18, 'p') + "\xC4\xE3";
  Outcome out = Drive("", {{"", typed, typed}});
  EXPECT_TRUE(out.confirmed);
  EXPECT_EQ(out.result, std::string(18, 'p'));
}

}  // namespace
