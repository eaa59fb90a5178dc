#include "core/mainwnd/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace zv {
namespace {

TEST(CommandTable, FrameTextsAreSixtySevenDistinctKeys) {
  std::set<std::pair<std::string, std::string>> seen;
  for (const FrameText& t : FrameTexts()) {
    EXPECT_TRUE(seen.emplace(t.section, t.key).second) << "twice: " << t.section << "/" << t.key;
    EXPECT_NE(std::string(t.defaultUtf8), "") << t.key;
  }
  EXPECT_EQ(seen.size(), 67u);
  // The menu key keeps its trailing blank and differs from the tool-tip key.
  EXPECT_TRUE(seen.count({"MenuText", "OpenAppli "}));
  EXPECT_TRUE(seen.count({"ToolTipText", "OpenAppli"}));
  EXPECT_FALSE(seen.count({"MenuText", "OpenAppli"}));
}

TEST(CommandTable, ToolbarHasTwentySevenButtonsMatchingTheirPositions) {
  int position = 0;
  int separators = 0;
  bool lastWasSeparator = true;
  for (int id : ToolbarLayout()) {
    if (id == 0) {
      EXPECT_FALSE(lastWasSeparator) << "separator after position " << position;
      ++separators;
      lastWasSeparator = true;
      continue;
    }
    lastWasSeparator = false;
    ++position;
    const CommandInfo* c = FindCommand(id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(c->button, position) << "command " << id;
    EXPECT_NE(c->tipKey, nullptr) << "a button without tool tip: " << id;
  }
  EXPECT_EQ(position, kToolbarButtonCount);
  EXPECT_EQ(separators, 6);
  // And no command claims a position the toolbar does not give it.
  int withButton = 0;
  for (const CommandInfo& c : CommandTable()) withButton += c.button != 0;
  EXPECT_EQ(withButton, kToolbarButtonCount);
}

TEST(CommandTable, MenusAreBalancedAndUseOnlyMenuTexts) {
  for (auto layout : {MenuBarLayout(), ContextMenuLayout()}) {
    int depth = 0;
    for (const MenuEntry& e : layout) {
      if (e.kind == MenuEntry::PopupBegin) ++depth;
      if (e.kind == MenuEntry::PopupEnd) --depth;
      ASSERT_GE(depth, 0);
      if (e.kind == MenuEntry::Item) {
        const CommandInfo* c = FindCommand(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_NE(c->menuKey, nullptr) << "menu item without menu text: " << e.id;
      }
    }
    EXPECT_EQ(depth, 0);
  }
  // Five popups on the bar, one nested.
  int popups = 0;
  for (const MenuEntry& e : MenuBarLayout()) popups += e.kind == MenuEntry::PopupBegin;
  EXPECT_EQ(popups, 6);
}

TEST(CommandTable, EveryCommandWithMenuTextIsOnAMenu) {
  std::set<int> onMenus;
  for (auto layout : {MenuBarLayout(), ContextMenuLayout()})
    for (const MenuEntry& e : layout)
      if (e.kind == MenuEntry::Item) onMenus.insert(e.id);
  for (const CommandInfo& c : CommandTable())
    if (c.menuKey != nullptr) {
      EXPECT_TRUE(onMenus.count(c.id)) << c.id << " " << c.menuKey;
    }
  // Show picture and properties are on the context menu only.
  for (const MenuEntry& e : MenuBarLayout()) {
    EXPECT_NE(e.id, 32869);
    EXPECT_NE(e.id, 32891);
  }
}

}  // namespace
}  // namespace zv
