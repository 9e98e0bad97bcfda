// The in-place repair of wrong name lengths: through the store, through
// "Check Library" and through vlxcheck --repair. Only those 2-byte fields
// change, a copy comes first, and anything else is left untouched.
#include <gtest/gtest.h>

#include <set>

#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "store/MappedFile.h"
#include "store/NameLengthRepair.h"
#include "tests/TestSupport.h"
#include "tests/store/DamageKit.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

const std::set<std::string>& NameLengthDamages() {
  static const std::set<std::string> names = {"NameLengthTooLong", "NameLengthTooShort", "NameLengthZero"};
  return names;
}

class NameLengthRepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sample_ = rig_.dir.File("sample.vlx");
    ASSERT_TRUE(vtest::WriteDamageSample(sample_));
    sound_ = vtest::ReadWholeFile(sample_);
  }
  std::string Damaged(const std::string& name) {
    for (const vtest::Damage& d : vtest::ClassicDamages()) {
      if (name != d.name) continue;
      vtest::DamagedFile file(sound_);
      d.apply(file);
      std::string path = rig_.dir.File(name + ".vlx");
      EXPECT_TRUE(file.Write(path));
      return path;
    }
    ADD_FAILURE() << "no damage " << name;
    return {};
  }

  vtest::DocumentRig rig_;
  std::string sample_;
  std::string sound_;
};

TEST_F(NameLengthRepairTest, OnlyTheWrongLengthsAreWrittenAfterACopyIsKept) {
  for (const std::string& name : NameLengthDamages()) {
    SCOPED_TRACE(name);
    std::string path = Damaged(name);
    std::string damaged = vtest::ReadWholeFile(path);
    std::string backup = RepairBackupPath(path);
    EXPECT_EQ(backup, path + ".bak");
    NameLengthRepair done = RepairNameLengths(path, backup);
    EXPECT_EQ(done.result, RepairResult::kRepaired) << done.Summary();
    EXPECT_EQ(done.fieldsWritten, 1u);
    EXPECT_EQ(done.backupPath, backup);
    // The damage touched one field only, so the mended file is the sound one, byte for byte.
    EXPECT_TRUE(vtest::ReadWholeFile(path) == sound_);
    EXPECT_TRUE(vtest::ReadWholeFile(backup) == damaged);
    EXPECT_NE(done.Summary().find(backup), std::string::npos);
    // A second copy never overwrites the first.
    EXPECT_EQ(RepairBackupPath(path), path + ".bak2");
  }
}

TEST_F(NameLengthRepairTest, ASoundLibraryAndEveryOtherDamageAreLeftUntouched) {
  // A name length fault beside another fault is not mended either.
  vtest::DamagedFile both(sound_);
  for (const vtest::Damage& d : vtest::ClassicDamages()) {
    if (std::string(d.name) == "NameLengthTooLong" || std::string(d.name) == "SiblingsOutOfOrder") d.apply(both);
  }
  std::string mixed = rig_.dir.File("mixed.vlx");
  ASSERT_TRUE(both.Write(mixed));
  std::vector<std::pair<std::string, RepairResult>> cases = {{sample_, RepairResult::kNothingToRepair},
                                                             {mixed, RepairResult::kRefused}};
  for (const vtest::Damage& d : vtest::ClassicDamages())
    if (!NameLengthDamages().count(d.name)) cases.push_back({Damaged(d.name), RepairResult::kRefused});
  for (const auto& [path, want] : cases) {
    SCOPED_TRACE(path);
    std::string before = vtest::ReadWholeFile(path);
    NameLengthRepair done = RepairNameLengths(path, RepairBackupPath(path));
    EXPECT_EQ(done.result, want) << done.Summary();
    EXPECT_EQ(done.fieldsWritten, 0u);
    EXPECT_TRUE(vtest::ReadWholeFile(path) == before);
    EXPECT_FALSE(vtest::FileExists(path + ".bak"));
  }
}

TEST_F(NameLengthRepairTest, AFileSomeoneHoldsIsNotRepaired) {
  std::string path = Damaged("NameLengthTooShort");
  std::string before = vtest::ReadWholeFile(path);
  {
    MappedFile held;  // another reader has it open
    ASSERT_TRUE(held.Open(path.c_str()));
    NameLengthRepair done = RepairNameLengths(path, RepairBackupPath(path));
    EXPECT_EQ(done.result, RepairResult::kFailed);
  }
  EXPECT_TRUE(vtest::ReadWholeFile(path) == before);
  EXPECT_FALSE(vtest::FileExists(path + ".bak"));
}

TEST_F(NameLengthRepairTest, CheckLibraryOffersTheRepairAndAsksFirst) {
  struct Case {
    const char* name;
    bool openFirst;  // the damaged library is the open one (read-only)
    int answer;
  };
  const Case cases[] = {{"declined", false, IDNO}, {"another file", false, IDYES}, {"the open library", true, IDYES}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = Damaged("NameLengthTooLong");
    DeleteFileA((path + ".bak").c_str());
    std::string damaged = vtest::ReadWholeFile(path);
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    if (c.openFirst) {
      ASSERT_TRUE(doc.OpenLibrary(path));
      ASSERT_TRUE(doc.ReadOnly());
    } else {
      ASSERT_TRUE(doc.CreateLibrary(rig_.dir.File(std::string(c.name) + "-open.vlx")));
    }
    rig_.prompt.shown.clear();
    rig_.prompt.files = {path};
    rig_.prompt.messageAnswers = {c.answer};
    doc.CheckLibraryFile();
    EXPECT_TRUE(rig_.prompt.messageAnswers.empty());
    ASSERT_FALSE(rig_.prompt.shown.empty());
    EXPECT_NE(rig_.prompt.shown.front().text.find(path + ".bak"), std::string::npos);
    EXPECT_NE(rig_.prompt.shown.front().text.find("wrong length"), std::string::npos);
    bool repaired = c.answer == IDYES;
    EXPECT_EQ(vtest::ReadWholeFile(path) == sound_, repaired);
    EXPECT_EQ(vtest::FileExists(path + ".bak"), repaired);
    if (c.openFirst) {
      // Open again, writable now.
      EXPECT_EQ(doc.Path(), path);
      EXPECT_FALSE(doc.ReadOnly());
    }
    doc.Close();
  }
}

// vlxcheck beside this program, on path; its exit code and what it printed.
DWORD RunVlxCheck(const std::string& arguments, std::string& output) {
  vtest::TempDir dir;
  std::string log = dir.File("out.txt");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  KernelHandle out(CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOA startup = {sizeof startup};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Get();
  startup.hStdError = out.Get();
  std::string command = "\"" + vtest::ProgramFolder() + "\\vlxcheck.exe\" " + arguments;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return 99;
  KernelHandle thread(process.hThread), handle(process.hProcess);
  DWORD code = 98;
  if (WaitForSingleObject(handle.Get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(handle.Get(), &code);
  out = KernelHandle();
  output = vtest::ReadWholeFile(log);
  return code;
}

TEST_F(NameLengthRepairTest, VlxCheckRepairsOnlyWhenAskedAndKeepsItsExitCodes) {
  struct Case {
    const char* damage;  // "" the sound sample
    bool repair;
    DWORD exitCode;
    bool mended;  // the file is the sound sample afterwards
  };
  const Case cases[] = {{"", true, 0, true},
                        {"NameLengthTooShort", false, 1, false},
                        {"NameLengthTooShort", true, 0, true},
                        {"SiblingsOutOfOrder", true, 1, false},
                        {"SiblingPointsPastTheEnd", true, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.damage) + (c.repair ? " --repair" : ""));
    std::string path = *c.damage ? Damaged(c.damage) : sample_;
    DeleteFileA((path + ".bak").c_str());
    std::string before = vtest::ReadWholeFile(path);
    std::string output;
    EXPECT_EQ(RunVlxCheck(std::string(c.repair ? "--repair " : "") + "\"" + path + "\"", output), c.exitCode)
        << output;
    EXPECT_EQ(vtest::ReadWholeFile(path) == sound_, c.mended);
    bool written = vtest::ReadWholeFile(path) != before;
    EXPECT_EQ(vtest::FileExists(path + ".bak"), written);
    if (written) {
      EXPECT_NE(output.find(path + ".bak"), std::string::npos) << output;
    }
  }
  std::string output;
  EXPECT_EQ(RunVlxCheck("--mend \"" + sample_ + "\"", output), 4u);
}

}  // namespace
