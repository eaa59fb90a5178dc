#include "core/mainwnd/command_table.h"

#include <array>
#include <cstring>

namespace zv {

namespace {

constexpr CommandInfo kCommands[] = {
    {32770, nullptr, nullptr, nullptr, nullptr, 0},
    {32772, "ShowFolderTree", "フォルダ一覧", nullptr, nullptr, 0},
    {32773, "ShowPreview", "プレビュー画面", nullptr, nullptr, 0},
    {32860, nullptr, nullptr, "NewFolder", "新規フォルダ作成", 1},
    {32861, "Print", "印刷", "Print", "画像を印刷", 2},
    {32862, "SendMail", "メールで送信", "SendMail", "メールで送信", 27},
    {32863, "OpenAppli ", "アプリケーションで開く", "OpenAppli", "アプリケーションで開く", 26},
    {32864, "SaveAs", "名前を付けて保存", "SaveAs", "名前を付けて保存", 3},
    {32866, nullptr, nullptr, "LightThumbView", "簡易サムネイル表示", 5},
    {32867, nullptr, nullptr, "DetailThumbView", "詳細サムネイル表示", 6},
    {32868, nullptr, nullptr, "ListView", "一覧表示", 7},
    {32869, "ShowPicture", "画像を表示", "ShowSelectedPic", "選択された画像を表示", 8},
    {32870, nullptr, nullptr, "ReturnList", "一覧に戻る", 9},
    {32871, nullptr, nullptr, "PrevPicture", "前の画像", 10},
    {32872, nullptr, nullptr, "NextPicture", "次の画像", 11},
    {32873, nullptr, nullptr, "ShowRealSize", "実寸大表示", 14},
    {32874, nullptr, nullptr, "ShowInWindow", "ウィンドウ内表示", 15},
    {32875, nullptr, nullptr, "ZoomIn", "拡大", 12},
    {32876, nullptr, nullptr, "ZoomOut", "縮小", 13},
    {32877, nullptr, nullptr, "Rotate90Right", "右に９０度回転", 22},
    {32878, nullptr, nullptr, "Rotate90Left", "左に９０度回転", 23},
    {32879, nullptr, nullptr, "ReflectHorizontal", "画像を左右反転", 24},
    {32880, nullptr, nullptr, "ReflectVertical", "画像を上下反転", 25},
    {32881, "Reflesh", "最新の情報に更新", "RefreshView", "最新の情報に更新", 4},
    {32882, "ThumbSizeSmall", "小 120× 80", nullptr, nullptr, 0},
    {32883, "ThumbSizeMideum", "中 180×120", nullptr, nullptr, 0},
    {32884, "ThumbSizeLarge", "大 240×160", nullptr, nullptr, 0},
    {32885, "Sort", "並べ替え", nullptr, nullptr, 0},
    {32886, "Cut", "切り取り", "EditCut", "切り取り", 16},
    {32887, "Copy", "コピー", "EditCopy", "コピー", 17},
    {32888, "Paste", "貼り付け", "EditPaste", "貼り付け", 18},
    {32889, "Delete", "削除", "EditDelete", "このファイルを削除", 19},
    {32890, nullptr, nullptr, "EditMove", "ファイルのコピーと移動", 20},
    {32891, "Property", "プロパティ", "EditProperty", "プロパティ", 21},
    {32892, "AllSelect", "すべて選択", nullptr, nullptr, 0},
    {32893, "AllCut", "すべて切り取り", nullptr, nullptr, 0},
    {32894, "AllCopy", "すべてコピー", nullptr, nullptr, 0},
    {32895, "AllDelete", "すべて削除", nullptr, nullptr, 0},
    {32897, "AppSetting", "アプリケーションの設定", nullptr, nullptr, 0},
    {32898, "ShowHelpIndex", "目次", nullptr, nullptr, 0},
    {32899, "Information", "アプリケーションの情報", nullptr, nullptr, 0},
    {32903, "TWAINSelect", "TWAIN 機器選択", "TWAINSelect", "TWAIN 機器選択", 0},
    {32904, "TWAINInput", "TWAIN 取り込み", "TWAINInput", "TWAIN 取り込み", 0},
    {57665, "AppExit", "アプリケーションの終了", nullptr, nullptr, 0},
    {59392, "ShowToolBar", "ツールバー", nullptr, nullptr, 0},
    {59393, "ShowStatusBar", "ステータスバー", nullptr, nullptr, 0},
};

constexpr FrameText kPopupAndBarTexts[] = {
    {kMenuTextSection, "FileGroup", "ファイル"},
    {kMenuTextSection, "EditGroup", "編集"},
    {kMenuTextSection, "ViewGroup", "表示"},
    {kMenuTextSection, "ThumbSizePop", "サムネイルの大きさ"},
    {kMenuTextSection, "ToolGroup", "ツール"},
    {kMenuTextSection, "HelpGroup", "ヘルプ"},
    {kBarTitleSection, "ToolBar", "ツールバー"},
    {kBarTitleSection, "FolderTree", "フォルダ一覧"},
    {kBarTitleSection, "PreView", "プレビュー"},
};

constexpr size_t CountTexts() {
  size_t n = std::size(kPopupAndBarTexts);
  for (const CommandInfo& c : kCommands) n += (c.menuKey != nullptr) + (c.tipKey != nullptr);
  return n;
}

// Menu texts, then tool tips, then popup titles and bar titles.
constexpr std::array<FrameText, CountTexts()> MakeTexts() {
  std::array<FrameText, CountTexts()> all{};
  size_t n = 0;
  for (const CommandInfo& c : kCommands)
    if (c.menuKey != nullptr) all[n++] = {kMenuTextSection, c.menuKey, c.menuDefault};
  for (const CommandInfo& c : kCommands)
    if (c.tipKey != nullptr) all[n++] = {kToolTipTextSection, c.tipKey, c.tipDefault};
  for (const FrameText& t : kPopupAndBarTexts) all[n++] = t;
  return all;
}
constexpr auto kTexts = MakeTexts();

using E = MenuEntry;
constexpr E Item(int id) { return {E::Item, id, nullptr}; }
constexpr E kSep{E::Separator, 0, nullptr};
constexpr E Popup(const char* key) { return {E::PopupBegin, 0, key}; }
constexpr E kEnd{E::PopupEnd, 0, nullptr};

constexpr MenuEntry kMenuBar[] = {
    Popup("FileGroup"), Item(32864), Item(32861), kSep, Item(32903), Item(32904), kSep, Item(32862), Item(32863),
    kSep, Item(57665), kEnd,
    Popup("EditGroup"), Item(32892), kSep, Item(32886), Item(32887), Item(32888), Item(32889), kSep, Item(32893),
    Item(32894), Item(32895), kEnd,
    Popup("ViewGroup"), Popup("ThumbSizePop"), Item(32882), Item(32883), Item(32884), kEnd, kSep, Item(32885), kSep,
    Item(59392), Item(32772), Item(32773), Item(59393), kSep, Item(32881), kEnd,
    Popup("ToolGroup"), Item(32897), kEnd,
    Popup("HelpGroup"), Item(32898), kSep, Item(32899), kEnd,
};

constexpr MenuEntry kContextMenu[] = {
    Item(32869), Item(32861), kSep, Item(32892), kSep, Item(32886), Item(32887), Item(32888), Item(32889), kSep,
    Item(32893), Item(32894), Item(32895), kSep, Item(32862), Item(32863), kSep, Item(32891),
};

constexpr int kToolbar[] = {32860, 32861, 32864, 0, 32881, 32866, 32867, 32868, 0, 32869, 32870, 32871, 32872, 0,
                            32875, 32876, 32873, 32874, 0, 32886, 32887, 32888, 32889, 32890, 32891, 0,
                            32877, 32878, 32879, 32880, 0, 32863, 32862};

}  // namespace

std::span<const CommandInfo> CommandTable() { return kCommands; }

const CommandInfo* FindCommand(int id) {
  for (const CommandInfo& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

std::span<const FrameText> FrameTexts() { return kTexts; }
std::span<const MenuEntry> MenuBarLayout() { return kMenuBar; }
std::span<const MenuEntry> ContextMenuLayout() { return kContextMenu; }
std::span<const int> ToolbarLayout() { return kToolbar; }

}  // namespace zv
