// Which handler each command reaches, and the popups enabled as a whole.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <vector>

#include "content/AccessPasswords.h"
#include "content/CommandRouter.h"
#include "content/ContentCommands.h"
#include "content/DocumentCommands.h"
#include "content/LibraryLook.h"
#include "content/SearchCommands.h"
#include "tests/store/DocumentFixtures.h"

namespace vellora {
void PrintTo(CommandOwner owner, std::ostream* out) { *out << "owner " << static_cast<int>(owner); }
}  // namespace vellora

using namespace vellora;

namespace {

// The handlers that live below the windows, each asked from its own map.
struct Claimer {
  CommandOwner owner;
  bool (*claims)(UINT id);
};
const Claimer kClaimers[] = {
    {CommandOwner::Content, &ContentCommands::Handles},
    {CommandOwner::Search, &SearchCommands::Handles},
    {CommandOwner::Passwords, &PasswordCommands::Handles},
    {CommandOwner::Looks, &LookCommands::Handles},
    {CommandOwner::Document, &IsDocumentCommand},
};

bool IsClaimerOwner(CommandOwner owner) {
  for (const Claimer& c : kClaimers)
    if (c.owner == owner) return true;
  return false;
}

TEST(CommandRouterOwners, EachRowNamesTheOneHandlerThatTakesItsIds) {
  for (UINT id = 0; id <= 0xFFFF; ++id) {
    std::vector<CommandOwner> claimed;
    for (const Claimer& c : kClaimers)
      if (c.claims(id)) claimed.push_back(c.owner);
    ASSERT_LE(claimed.size(), 1u) << "two handlers take " << id;
    const CommandRow* row = FindCommand(id);
    if (!claimed.empty()) {
      // A handler's command without a row would never reach it.
      ASSERT_NE(row, nullptr) << id;
      EXPECT_EQ(row->owner, claimed[0]) << id;
    } else if (row) {
      EXPECT_FALSE(IsClaimerOwner(row->owner)) << "no handler of its owner takes " << id;
    }
  }
}

TEST(CommandRouterOwners, RowsWithoutAHandlerAreGreyed) {
  CommandContext anything;
  for (const CommandRow& row : CommandRows()) {
    if (row.owner != CommandOwner::None) continue;
    EXPECT_TRUE(row.needs & kNotBuilt) << row.first;
    EXPECT_FALSE(EvaluateCommand(row.first, anything).enabled) << row.first;
  }
}

// Records what reaches it; answers queries as told.
class FakeHandler : public CommandHandler {
 public:
  std::vector<UINT> handled;
  bool takes = true;
  bool answers = true;  // false: not one of mine
  CommandUi says{true, false};
  bool refines = false;  // true: the answer replaces the rule's state

  bool Handle(UINT id) override {
    handled.push_back(id);
    return takes;
  }
  bool Query(UINT id, CommandUi& ui) const override {
    (void)id;
    if (refines) ui = says;
    return answers;
  }
};

const CommandOwner kOwners[] = {CommandOwner::Frame,     CommandOwner::Content, CommandOwner::Search,
                                CommandOwner::Passwords, CommandOwner::Looks,   CommandOwner::View,
                                CommandOwner::Document};

class CommandRouterTest : public ::testing::Test {
 public:
  CommandRouterTest() {
    context_.folderKind = 1;
    context_.treeVisible = true;
    context_.treeHasSelection = true;
    context_.viewKind = kItemText;
    for (CommandOwner owner : kOwners) router_.Register(owner, &handlers_[owner]);
  }
  // The owners whose handlers got something.
  std::vector<CommandOwner> Reached() {
    std::vector<CommandOwner> reached;
    for (auto& [owner, handler] : handlers_)
      if (!handler.handled.empty()) reached.push_back(owner);
    return reached;
  }

  CommandContext context_;
  vtest::NullSink log_;
  CommandRouter router_{context_, &log_};
  std::map<CommandOwner, FakeHandler> handlers_;
};

TEST_F(CommandRouterTest, ACommandReachesOnlyTheHandlerThatRunsIt) {
  const struct {
    UINT id;
    CommandOwner owner;
  } cases[] = {
      {ID_FOLDER_NEW, CommandOwner::Content},          {ID_EDIT_SET_TITLE, CommandOwner::Content},
      {ID_SEARCH_TITLES, CommandOwner::Search},        {ID_SEARCH_CURRENT_ITEM, CommandOwner::Search},
      {ID_ITEM_ACCESS_PASSWORD, CommandOwner::Passwords}, {ID_TOOLS_LIBRARY_PASSWORD, CommandOwner::Passwords},
      {ID_TREE_FONT, CommandOwner::Looks},             {ID_FOLDER_BACK_IMAGE, CommandOwner::Looks},
      {ID_FILEVIEW_FORE_COLOR, CommandOwner::Looks},   {ID_BOOKMARK_ADD, CommandOwner::Frame},
      {ID_QUICK_ACCESS_FIRST + 5, CommandOwner::Frame}, {ID_LAYOUT_TEXT_READING, CommandOwner::Frame},
      {ID_VIEW_SEARCH_RESULT, CommandOwner::Frame},    {ID_TOOLS_LOCK_READONLY, CommandOwner::Frame},
      {ID_EDIT_UNDO, CommandOwner::View},              {ID_TEXT_BACK_COLOR, CommandOwner::View},
      {ID_FILE_MRU_FIRST + 2, CommandOwner::Document}, {ID_TOOLS_CHECK_LIBRARY, CommandOwner::Document},
      {ID_TOOLS_BACKUPS, CommandOwner::Frame},
  };
  for (const auto& c : cases) {
    for (auto& [owner, handler] : handlers_) handler.handled.clear();
    EXPECT_TRUE(router_.Route(c.id)) << c.id;
    EXPECT_EQ(Reached(), std::vector<CommandOwner>{c.owner}) << c.id;
    EXPECT_EQ(handlers_[c.owner].handled, std::vector<UINT>{c.id}) << c.id;
  }
  EXPECT_TRUE(log_.reports.empty());
}

TEST_F(CommandRouterTest, WhatCannotRunIsRefusedAndWhatShouldHaveRunIsLogged) {
  const struct {
    const char* what;
    UINT id;
    void (*arrange)(CommandRouterTest&);
    bool logged;
  } cases[] = {
      {"greyed by the lock", ID_NODE_ADD_ROOT, [](CommandRouterTest& t) { t.context_.readOnly = true; }, false},
      {"no note shown", ID_EDIT_SET_TITLE, [](CommandRouterTest& t) { t.context_.viewKind = kItemDataList; }, false},
      {"no row", ID_ITEM_COPY_OLD, [](CommandRouterTest&) {}, true},
      {"past the routed bookmarks", ID_QUICK_ACCESS_LAST + 1, [](CommandRouterTest&) {}, true},
      {"no handler", ID_SEARCH_TITLES, [](CommandRouterTest& t) { t.router_.Register(CommandOwner::Search, nullptr); },
       true},
      {"handler declines", ID_FOLDER_NEW, [](CommandRouterTest& t) { t.handlers_[CommandOwner::Content].takes = false; },
       true},
      {"view not its own", ID_EDIT_COPY, [](CommandRouterTest& t) { t.handlers_[CommandOwner::View].answers = false; },
       false},
  };
  for (const auto& c : cases) {
    CommandRouterTest& t = *this;
    t.context_ = CommandContext{};
    t.context_.folderKind = 1;
    t.context_.viewKind = kItemText;
    for (CommandOwner owner : kOwners) {
      handlers_[owner] = FakeHandler{};
      router_.Register(owner, &handlers_[owner]);
    }
    log_.reports.clear();
    c.arrange(t);
    EXPECT_FALSE(router_.Route(c.id)) << c.what;
    // The declining handler was asked; nothing else ran anywhere.
    const size_t asked = c.id == ID_FOLDER_NEW ? 1u : 0u;
    size_t ran = 0;
    for (auto& [owner, handler] : handlers_) ran += handler.handled.size();
    EXPECT_EQ(ran, asked) << c.what;
    EXPECT_EQ(log_.reports.size(), c.logged ? 1u : 0u) << c.what;
  }
  // Print was greyed while it had no handler; now the frame runs it, under the lock too.
  for (CommandOwner owner : kOwners) handlers_[owner] = FakeHandler{};
  context_.readOnly = true;
  EXPECT_TRUE(router_.Route(ID_FILE_PRINT));
  EXPECT_EQ(handlers_[CommandOwner::Frame].handled, std::vector<UINT>{ID_FILE_PRINT});
}

TEST_F(CommandRouterTest, TheStateIsReadWhenTheCommandComesNotWhenTheRouterWasMade) {
  EXPECT_TRUE(router_.Query(ID_FOLDER_NEW).enabled);
  context_.readOnly = true;
  EXPECT_FALSE(router_.Query(ID_FOLDER_NEW).enabled);
  EXPECT_FALSE(router_.Route(ID_FOLDER_NEW));
  EXPECT_TRUE(router_.Query(ID_TOOLS_LOCK_READONLY).checked);
}

TEST_F(CommandRouterTest, AViewDecidesAboutItsOwnCommandsWithinTheirRows) {
  FakeHandler& view = handlers_[CommandOwner::View];
  view.refines = true;
  view.says = {false, true};
  EXPECT_EQ(router_.Query(ID_FORMAT_BOLD).enabled, false);
  EXPECT_EQ(router_.Query(ID_FORMAT_BOLD).checked, true);
  view.says = {true, false};
  EXPECT_TRUE(router_.Query(ID_EDIT_PASTE).enabled);
  // The row still has the last word on enabling; the view keeps its check mark.
  context_.viewKind = kItemDataList;
  view.says = {true, true};
  EXPECT_FALSE(router_.Query(ID_TEXT_AUTO_LINE).enabled);
  EXPECT_TRUE(router_.Query(ID_TEXT_AUTO_LINE).checked);
  // Handlers that do not refine leave the rule as it is.
  EXPECT_TRUE(router_.Query(ID_SEARCH_TITLES).enabled);
  EXPECT_FALSE(router_.Query(ID_SEARCH_REPEAT).enabled);
}

// ---- popups enabled as a whole ------------------------------------------------------

bool PopupEnabled(int menu, int position, const CommandContext& context) {
  for (const PopupRow& row : PopupRows())
    if (row.menu == menu && row.position == position) return EvaluatePopup(row, context);
  ADD_FAILURE() << "no popup row at " << menu << "/" << position;
  return false;
}

TEST(CommandTablePopups, PopupsFollowTheFolderKindTheShownViewAndTheLock) {
  const struct {
    const char* name;
    int folderKind;
    int viewKind;
    int pageViewKind;
    bool readOnly;
    bool tree, folder, catalog, text, list, file, edit;
  } cases[] = {
      {"tree folder, note", 1, kItemText, kViewNone, false, true, false, false, true, false, false, true},
      {"tree folder, note, locked", 1, kItemText, kViewNone, true, true, false, false, true, false, false, false},
      {"tree folder, node list", 1, kViewNodeList, kViewNone, false, true, false, false, false, false, false, false},
      {"list folder, placeholder", 2, kViewPlaceholder, kViewNone, false, false, true, true, false, false, false,
       false},
      {"list folder, data list", 2, kItemDataList, kViewNone, false, false, true, true, false, true, false, false},
      {"list folder, files", 2, kItemFileFolder, kViewNone, false, false, true, true, false, false, true, false},
      {"list folder, note page", 2, kItemTabPages, kItemText, false, false, true, true, true, false, false, true},
      {"list folder, list page", 2, kItemTabPages, kItemDataList, false, false, true, true, false, false, false,
       false},
  };
  for (const auto& c : cases) {
    CommandContext s;
    s.folderKind = c.folderKind;
    s.viewKind = c.viewKind;
    s.pageViewKind = c.pageViewKind;
    s.readOnly = c.readOnly;
    EXPECT_EQ(PopupEnabled(MENU_POS_VIEW, VIEW_POS_TREE_VIEW, s), c.tree) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_VIEW, VIEW_POS_FOLDER, s), c.folder) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_CONTENT, CONTENT_POS_CATALOG, s), c.catalog) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_VIEW, VIEW_POS_TEXT_VIEW, s), c.text) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_VIEW, VIEW_POS_LIST_VIEW, s), c.list) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_VIEW, VIEW_POS_FILE_VIEW, s), c.file) << c.name;
    EXPECT_EQ(PopupEnabled(MENU_POS_EDIT, kWholeMenu, s), c.edit) << c.name;
  }
}

TEST(CommandTablePopups, NoteCommandsAskForTheNoteInTheirOwnRows) {
  // The keys of these commands work wherever the menu would let them.
  const UINT noteCommands[] = {ID_EDIT_UNDO, ID_EDIT_COPY, ID_EDIT_SET_TITLE, ID_TEXT_DELETE_CURRENT_LINE,
                               ID_TEXT_INSERT_TIME, ID_FORMAT_BOLD, ID_TEXT_AUTO_LINE};
  CommandContext list;
  list.folderKind = 2;
  list.outbarHasGroup = list.outbarHasSelectedItem = true;
  for (int kind : {int{kItemDataList}, int{kItemFileFolder}, int{kViewPlaceholder}, int{kItemWebLink}}) {
    list.viewKind = kind;
    for (UINT id : noteCommands) EXPECT_FALSE(EvaluateRule(id, list).enabled) << id << " in view " << kind;
  }
  list.viewKind = kItemTabPages;
  list.pageViewKind = kItemText;
  for (UINT id : noteCommands) EXPECT_TRUE(EvaluateRule(id, list).enabled) << id << " on a note page";
}

}  // namespace
