#include "tests/store/DocumentFixtures.h"

#include <gtest/gtest.h>

namespace vtest {

int ScriptedPrompt::ShowMessage(const std::string& text, const std::string& caption, UINT type) {
  shown.push_back({text, caption, type});
  if (messageAnswers.empty()) {
    if ((type & 0xF) == MB_OK) return IDOK;
    ADD_FAILURE() << "unexpected question: " << text;
    return IDCANCEL;
  }
  int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

bool ScriptedPrompt::ChooseFile(const vellora::FileDialogRequest& request, std::string& path) {
  dialogs.push_back(request);
  if (files.empty()) {
    ADD_FAILURE() << "unexpected file dialog: " << request.title;
    return false;
  }
  path = files.front();
  files.pop_front();
  return !path.empty();
}

bool ScriptedPrompt::AskPassword(const std::string& displayName, const std::string&) {
  passwordNames.push_back(displayName);
  if (passwordAnswers.empty()) {
    ADD_FAILURE() << "unexpected password prompt";
    return false;
  }
  bool answer = passwordAnswers.front();
  passwordAnswers.pop_front();
  return answer;
}

int ScriptedPrompt::ShowWelcome() {
  ++welcomeShown;
  if (welcomeAnswers.empty()) return vellora::kWelcomeExit;
  int answer = welcomeAnswers.front();
  welcomeAnswers.pop_front();
  return answer;
}

namespace {

// Takes the next scripted answer; an unexpected question fails the test.
template <class T>
bool Next(std::deque<std::optional<T>>& queue, T& answer, const char* what) {
  if (queue.empty()) {
    ADD_FAILURE() << "unexpected " << what;
    return false;
  }
  std::optional<T> next = queue.front();
  queue.pop_front();
  if (!next) return false;
  answer = *next;
  return true;
}

}  // namespace

bool ScriptedPrompt::AskName(const std::string& caption, const std::string&, std::string& answer,
                             const std::string& label) {
  nameCaptions.push_back(caption);
  nameLabels.push_back(label);
  return Next(names, answer, "name dialog");
}

bool ScriptedPrompt::AskNewFolder(vellora::NewFolderRequest& answer) {
  return Next(folders, answer, "Add Folder dialog");
}

bool ScriptedPrompt::AskNewItem(vellora::NewItemRequest& answer, const std::string& caption) {
  itemCaptions.push_back(caption);
  itemOffersTabPages.push_back(answer.offerTabPages);
  return Next(items, answer, "Add Information Item dialog");
}

bool ScriptedPrompt::AskWebImport(vellora::WebImportRequest& answer) {
  return Next(webImports, answer, "Import webpage dialog");
}

std::unique_ptr<vellora::ProgressReport> ScriptedPrompt::BeginProgress(const std::string& caption) {
  progressCaptions.push_back(caption);
  struct Counted : vellora::ProgressReport {
    explicit Counted(ScriptedPrompt& prompt) : prompt(prompt) {}
    bool Step(size_t, size_t) override {
      ++prompt.progressSteps;
      return prompt.cancelAfterSteps == 0 || prompt.progressSteps < prompt.cancelAfterSteps;
    }
    ScriptedPrompt& prompt;
  };
  return std::make_unique<Counted>(*this);
}

bool ScriptedPrompt::AskFolders(vellora::FolderPickMode mode, const std::vector<std::string>& names,
                                std::vector<std::string>& checked) {
  folderPicksShown.push_back({mode, names, checked});
  return Next(folderPicks, checked, "folder selection dialog");
}

bool ScriptedPrompt::AskNewPassword(const std::string& current, std::string& answer) {
  currentPasswords.push_back(current);
  return Next(newPasswords, answer, "set-password dialog");
}

bool ScriptedPrompt::PickColor(COLORREF& color) {
  colorsOffered.push_back(color);
  return Next(colors, color, "colour dialog");
}

bool ScriptedPrompt::PickFont(LOGFONTA& font) {
  fontsOffered.push_back(font);
  return Next(fonts, font, "font dialog");
}

DocumentRig::DocumentRig() { texts.LoadForProgram(); }

vellora::DocumentSetup DocumentRig::Setup() const {
  vellora::DocumentSetup setup;
  setup.registryKey = key.Path();
  setup.tempFolder = dir.Path();
  return setup;
}

namespace {

void AddContents(const vellora::StorageHandle& storage, const std::string& prefix,
                 std::map<std::string, std::string>& out) {
  STATSTG self = {};
  if (SUCCEEDED(storage->Stat(&self, STATFLAG_NONAME)))
    out[prefix + "/"] = std::string(reinterpret_cast<const char*>(&self.clsid), sizeof self.clsid) +
                        std::string(reinterpret_cast<const char*>(&self.grfStateBits), sizeof self.grfStateBits);
  storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    const std::string path = prefix.empty() ? name : prefix + "/" + name;
    if (stat.type == STGTY_STORAGE) {
      vellora::StorageHandle child = storage.OpenStorageFor(name.c_str(), true);
      EXPECT_TRUE(child) << path;
      if (child) AddContents(child, path, out);
    } else {
      vellora::StreamHandle stream = storage.OpenStreamFor(name.c_str(), true);
      EXPECT_TRUE(stream) << path;
      std::string bytes(stream ? static_cast<size_t>(stream.Size()) : 0, '\0');
      ULONG got = 0;
      if (!bytes.empty()) stream.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
      bytes.resize(got);
      out[path] = bytes;
    }
    return true;
  });
}

}  // namespace

std::map<std::string, std::string> StorageContents(const vellora::StorageHandle& storage) {
  std::map<std::string, std::string> out;
  AddContents(storage, "", out);
  return out;
}

}  // namespace vtest
