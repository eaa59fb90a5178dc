#pragma once
// The master table of the main frame's commands: their menu and tool-tip
// texts in the UI text table, their place on toolbar 128, and the layout of
// the menu bar and the context menu. Pure data, shared by the frame and the
// tests.
#include <span>
#include <string>
#include <string_view>

namespace zv {

inline constexpr char kMenuTextSection[] = "MenuText";
inline constexpr char kToolTipTextSection[] = "ToolTipText";
inline constexpr char kBarTitleSection[] = "BarTitle";

// Shown as the tool tip of a command that has no tool-tip text.
inline constexpr char kMissingToolTipUtf8[] = "忘れてるぞ！";

struct CommandInfo {
  int id;
  const char* menuKey;      // key in "MenuText", or null
  const char* menuDefault;  // UTF-8
  const char* tipKey;       // key in "ToolTipText", or null
  const char* tipDefault;   // UTF-8
  int button;               // 1-based position on toolbar 128, 0 when not there
};

std::span<const CommandInfo> CommandTable();
// The entry of `id`, or null.
const CommandInfo* FindCommand(int id);

// One text the frame loads at creation.
struct FrameText {
  const char* section;
  const char* key;
  const char* defaultUtf8;
};
// All texts of the frame, each (section, key) once: menu texts, popup titles,
// tool tips and bar titles.
std::span<const FrameText> FrameTexts();

// A menu as a flat list: a popup opens with PopupBegin (its title key) and
// closes with PopupEnd; an item's text is the MenuText of its command.
struct MenuEntry {
  enum Kind { Item, Separator, PopupBegin, PopupEnd };
  Kind kind;
  int id;             // Item
  const char* key;    // PopupBegin: the title key in "MenuText"
};
std::span<const MenuEntry> MenuBarLayout();
std::span<const MenuEntry> ContextMenuLayout();

// The buttons of toolbar 128 in order; 0 stands for a separator.
std::span<const int> ToolbarLayout();
inline constexpr int kToolbarButtonCount = 27;

}  // namespace zv
