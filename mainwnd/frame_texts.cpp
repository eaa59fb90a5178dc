#include "mainwnd/frame_texts.h"

#include <windows.h>

#include <vector>

#include "app/ui_text_table.h"
#include "win/text_convert.h"

namespace zv {

void FrameTextSet::Load(CUiTextTable& table) {
  texts_.clear();
  for (const FrameText& t : FrameTexts()) texts_[{t.section, t.key}] = table.GetText(t.section, t.key, t.defaultUtf8);
}

const std::string& FrameTextSet::Get(const char* section, const char* key) const {
  static const std::string empty;
  auto found = texts_.find({section, key});
  return found == texts_.end() ? empty : found->second;
}

std::string FrameTextSet::MenuText(int commandId) const {
  const CommandInfo* c = FindCommand(commandId);
  return c != nullptr && c->menuKey != nullptr ? Get(kMenuTextSection, c->menuKey) : std::string();
}

std::string FrameTextSet::ToolTip(int commandId) const {
  const CommandInfo* c = FindCommand(commandId);
  if (c == nullptr || c->tipKey == nullptr) return win::Utf8ToAnsi(kMissingToolTipUtf8);
  return Get(kToolTipTextSection, c->tipKey);
}

HMENU BuildMenu(std::span<const MenuEntry> layout, const FrameTextSet& texts, bool bar) {
  std::vector<HMENU> open{bar ? CreateMenu() : CreatePopupMenu()};
  std::vector<const char*> titles;
  for (const MenuEntry& e : layout) {
    HMENU current = open.back();
    switch (e.kind) {
      case MenuEntry::Item:
        AppendMenuA(current, MF_STRING, static_cast<UINT_PTR>(e.id), texts.MenuText(e.id).c_str());
        break;
      case MenuEntry::Separator:
        AppendMenuA(current, MF_SEPARATOR, 0, nullptr);
        break;
      case MenuEntry::PopupBegin:
        open.push_back(CreatePopupMenu());
        titles.push_back(e.key);
        break;
      case MenuEntry::PopupEnd: {
        HMENU popup = open.back();
        open.pop_back();
        AppendMenuA(open.back(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                    texts.Get(kMenuTextSection, titles.back()).c_str());
        titles.pop_back();
        break;
      }
    }
  }
  return open.front();
}

}  // namespace zv
