#pragma once
// The frame's texts (menu texts, tool tips, bar titles), loaded once at
// creation through one short-lived UI text table and kept for the frame's life.
#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <utility>

#include "core/mainwnd/command_table.h"

namespace zv {

class CUiTextTable;

class FrameTextSet {
 public:
  void Load(CUiTextTable& table);
  // The loaded text; empty for a (section, key) that is not the frame's.
  const std::string& Get(const char* section, const char* key) const;
  std::string MenuText(int commandId) const;
  // The tool tip of a command, or "忘れてるぞ！" for one that has no tool-tip text.
  std::string ToolTip(int commandId) const;
  size_t size() const { return texts_.size(); }

 private:
  std::map<std::pair<std::string, std::string>, std::string> texts_;
};

// Builds a menu from its layout: a menu bar (`bar`) or a popup menu.
// The caller owns the result.
HMENU BuildMenu(std::span<const MenuEntry> layout, const FrameTextSet& texts, bool bar);

}  // namespace zv
