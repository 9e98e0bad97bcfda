#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frame/RecentMenu.h"
#include "content/CommandIds.h"
#include "store/RecentList.h"
#include "tests/TestSupport.h"

using vellora::RecentList;
using vellora::RecentMenu;
using Lines = std::vector<std::string>;

namespace {

// Each item as "<id> <text>", "-" for a separator, " (off)" when disabled.
Lines Describe(HMENU menu) {
  Lines out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[512] = {};
    MENUITEMINFOA info = {sizeof info};
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, i, TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      out.push_back("-");
      continue;
    }
    out.push_back(std::to_string(info.wID) + " " + text +
                  ((info.fState & MFS_DISABLED) ? " (off)" : ""));
  }
  return out;
}

using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)>;

// A File menu as the resource gives it: the recent item between Open and Exit.
Menu FileMenu(bool withRecentItem = true) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 100, "&Open...");
  if (withRecentItem)
    AppendMenuA(menu, MF_STRING | MF_GRAYED, ID_FILE_MRU_FIRST, "Recent Library");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, 101, "E&xit");
  return Menu(menu, &DestroyMenu);
}

Lines EntriesOf(const RecentList& list) {
  Lines out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Entry(i));
  return out;
}

std::string Lib(int n) {
  std::string path = "C:\\Libraries\\lib";
  path += std::to_string(n);
  return path += ".vlx";
}

// The stored list, read and written directly as another program would.
class StoredList {
 public:
  explicit StoredList(const std::string& appKey) {
    RegCreateKeyExA(HKEY_CURRENT_USER, (appKey + "\\Recent Document List").c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~StoredList() { RegCloseKey(key_); }
  void Set(const std::string& name, DWORD type, const void* data, DWORD size) {
    RegSetValueExA(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  }
  void Count(DWORD n) { Set("DocumentCount", REG_DWORD, &n, sizeof n); }
  void Doc(int n, const std::string& s) {
    Set("Document" + std::to_string(n), REG_SZ, s.c_str(), DWORD(s.size() + 1));
  }
  // The value's type, size and bytes, or an empty string when it is missing.
  std::string Get(const std::string& name) const {
    char buf[600] = {};
    DWORD type = 0, size = sizeof buf;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS)
      return std::string();
    return std::to_string(type) + ":" + std::to_string(size) + ":" + std::string(buf, size);
  }

 private:
  HKEY key_ = nullptr;
};

std::string SzValue(const std::string& s) {
  return std::to_string(REG_SZ) + ":" + std::to_string(s.size() + 1) + ":" + s +
         std::string(1, '\0');
}

}  // namespace

TEST(RecentList, AddKeepsOneEntryPerPathAndAtMostEight) {
  RecentList list;
  EXPECT_EQ(list.Newest(), "");
  for (int n = 1; n <= 8; ++n) EXPECT_TRUE(list.Add(Lib(n)));
  list.Add(Lib(3));  // reopened: moves to the end, not duplicated
  list.Add(Lib(9));  // a ninth distinct library drops the oldest
  EXPECT_EQ(EntriesOf(list),
            (Lines{Lib(2), Lib(4), Lib(5), Lib(6), Lib(7), Lib(8), Lib(3), Lib(9)}));

  list.Add("c:\\LIBRARIES\\Lib5.VLX");  // the same file by letter case; the latest spelling wins
  EXPECT_EQ(EntriesOf(list), (Lines{Lib(2), Lib(4), Lib(6), Lib(7), Lib(8), Lib(3), Lib(9),
                                    "c:\\LIBRARIES\\Lib5.VLX"}));

  EXPECT_FALSE(list.Add(""));
  EXPECT_FALSE(
      list.Add("C:\\" + std::string(257, 'x')));  // 260 characters leave no room for the NUL
  EXPECT_TRUE(list.Add("C:\\" + std::string(256, 'x')));
  EXPECT_EQ(list.Entry(0), Lib(4));
}

TEST(RecentList, CommandsAndRemovalAddressEntriesNewestFirst) {
  RecentList list;
  for (int n = 1; n <= 4; ++n) list.Add(Lib(n));
  EXPECT_EQ(list.Entry(list.IndexFromNewest(0)), Lib(4));
  EXPECT_EQ(list.Entry(list.IndexFromNewest(3)), Lib(1));
  EXPECT_EQ(list.IndexFromNewest(4), -1);
  EXPECT_EQ(list.IndexFromNewest(-1), -1);

  list.Remove(4);
  list.Remove(-1);
  list.Remove(list.IndexFromNewest(1));
  EXPECT_EQ(EntriesOf(list), (Lines{Lib(1), Lib(2), Lib(4)}));
  EXPECT_TRUE(list.RemovePath("C:\\LIBRARIES\\LIB4.VLX"));
  EXPECT_FALSE(list.RemovePath(Lib(4)));
  EXPECT_EQ(list.Newest(), Lib(2));
}

TEST(RecentListMenu, ShowsEntriesNewestFirstBetweenTheirNeighbours) {
  Menu menu = FileMenu();
  RecentList list;
  RecentMenu shown;
  shown.Attach(menu.get(), list);
  list.Add("C:\\first.vlx");
  list.Add("C:\\Tom & Jerry.vlx");
  list.Add("C:\\third.vlx");
  EXPECT_EQ(Describe(menu.get()), (Lines{"100 &Open...", "57616 &1 C:\\third.vlx",
                                         "57617 &2 C:\\Tom && Jerry.vlx",  // a plain '&' on screen
                                         "57618 &3 C:\\first.vlx", "-", "101 E&xit"}));

  // Back to empty: the disabled resource text and nothing stale.
  while (list.Count()) list.Remove(0);
  EXPECT_EQ(Describe(menu.get()),
            (Lines{"100 &Open...", "57616 Recent Library (off)", "-", "101 E&xit"}));
}

TEST(RecentListMenu, MenuWithoutTheRecentItemGetsEntriesAtItsEnd) {
  Menu menu = FileMenu(false);
  RecentList list;
  RecentMenu shown;
  shown.Attach(menu.get(), list);
  EXPECT_EQ(Describe(menu.get()), (Lines{"100 &Open...", "-", "101 E&xit", "57616 (empty) (off)"}));

  list.Add(Lib(1));
  list.Add(Lib(2));
  EXPECT_EQ(Describe(menu.get()),
            (Lines{"100 &Open...", "-", "101 E&xit", "57616 &1 " + Lib(2), "57617 &2 " + Lib(1)}));
}

TEST(RecentListRegistry, SaveWritesNewestFirstAndDropsStaleValues) {
  vtest::TempRegistryKey key;
  RecentList list;
  for (int n = 1; n <= 10; ++n) list.Add(Lib(n));
  list.Save(HKEY_CURRENT_USER, key.Path());
  StoredList stored(key.Path());
  stored.Doc(16, "left by a longer list");

  for (int i = 0; i < 5; ++i) list.Remove(0);
  list.Save(HKEY_CURRENT_USER, key.Path());  // 3 entries: 8, 9, 10
  EXPECT_EQ(stored.Get("Document1"), SzValue(Lib(10)));
  EXPECT_EQ(stored.Get("Document3"), SzValue(Lib(8)));
  for (int i = 4; i <= 16; ++i) EXPECT_EQ(stored.Get("Document" + std::to_string(i)), "") << i;
  const DWORD eight = 8;
  EXPECT_EQ(stored.Get("DocumentCount"),
            "4:4:" + std::string(reinterpret_cast<const char*>(&eight), 4));

  Menu menu = FileMenu();
  RecentList again;
  RecentMenu shown;
  shown.Attach(menu.get(), again);
  again.Load(HKEY_CURRENT_USER, key.Path());
  EXPECT_EQ(EntriesOf(again), (Lines{Lib(8), Lib(9), Lib(10)}));
  EXPECT_EQ(Describe(menu.get())[1], "57616 &1 " + Lib(10));
}

TEST(RecentListRegistry, LoadClampsTheStoredCountAndKeepsEightAtMost) {
  vtest::TempRegistryKey key;
  StoredList stored(key.Path());
  for (int n = 1; n <= 17; ++n) stored.Doc(n, Lib(n));

  RecentList list;
  stored.Count(1);  // read as 2
  list.Load(HKEY_CURRENT_USER, key.Path());
  EXPECT_EQ(EntriesOf(list), (Lines{Lib(2), Lib(1)}));

  Menu menu = FileMenu();
  RecentMenu shown;
  shown.Attach(menu.get(), list);
  stored.Count(1000);  // read as 16, of which the newest 8 stay
  list.Load(HKEY_CURRENT_USER, key.Path());
  EXPECT_EQ(EntriesOf(list),
            (Lines{Lib(8), Lib(7), Lib(6), Lib(5), Lib(4), Lib(3), Lib(2), Lib(1)}));
  EXPECT_EQ(list.MaxEntries(), 8);
  EXPECT_EQ(Describe(menu.get()).size(), 3u + 8u);
}

TEST(RecentListRegistry, LoadSkipsUnusableValuesWithoutOverrunning) {
  vtest::TempRegistryKey key;
  StoredList stored(key.Path());
  stored.Count(8);
  DWORD number = 7;
  stored.Set("Document1", REG_DWORD, &number, sizeof number);
  stored.Doc(2, "C:\\" + std::string(300, 'y'));             // longer than an entry
  const std::string noNul = "C:\\" + std::string(256, 'z');  // 259 bytes, stored without a NUL
  stored.Set("Document3", REG_SZ, noNul.data(), DWORD(noNul.size()));
  stored.Doc(5, Lib(5));
  stored.Doc(6, "c:\\libraries\\LIB5.vlx");  // an older spelling of Document5

  RecentList list;
  list.Load(HKEY_CURRENT_USER, key.Path());
  EXPECT_EQ(EntriesOf(list), (Lines{Lib(5), noNul}));
}

TEST(RecentListRegistry, LoadWithoutAUsableCountLeavesTheListAlone) {
  vtest::TempRegistryKey key;
  RecentList list;
  list.Add(Lib(1));
  list.Load(HKEY_CURRENT_USER, key.Path() + "\\Missing");
  list.Load(HKEY_CURRENT_USER, key.Path());  // no "Recent Document List" yet

  StoredList stored(key.Path());
  stored.Doc(1, Lib(2));
  list.Load(HKEY_CURRENT_USER, key.Path());  // no count
  stored.Set("DocumentCount", REG_SZ, "8", 2);
  list.Load(HKEY_CURRENT_USER, key.Path());
  EXPECT_EQ(EntriesOf(list), (Lines{Lib(1)}));
}
