#include "core/mainwnd/command_table.h"

#include <array>
#include <cstring>

#include "res/resource.h"

namespace zv {

namespace {

constexpr CommandInfo kCommands[] = {
    {ID_VIEW_CUSTOMIZE, nullptr, nullptr, nullptr, nullptr, 0},
    {ID_VIEW_FOLDERTREE, "ShowFolderTree", "フォルダ一覧", nullptr, nullptr, 0},
    {ID_VIEW_PREVIEW, "ShowPreview", "プレビュー画面", nullptr, nullptr, 0},
    {ID_FILE_NEWFOLDER, nullptr, nullptr, "NewFolder", "新規フォルダ作成", 1},
    {ID_FILE_PRINT, "Print", "印刷", "Print", "画像を印刷", 2},
    {ID_FILE_SENDMAIL, "SendMail", "メールで送信", "SendMail", "メールで送信", 27},
    {ID_FILE_OPENAPPLI, "OpenAppli ", "アプリケーションで開く", "OpenAppli", "アプリケーションで開く", 26},
    {ID_FILE_SAVEAS, "SaveAs", "名前を付けて保存", "SaveAs", "名前を付けて保存", 3},
    {ID_VIEW_LIGHTTHUMB, nullptr, nullptr, "LightThumbView", "簡易サムネイル表示", 5},
    {ID_VIEW_DETAILTHUMB, nullptr, nullptr, "DetailThumbView", "詳細サムネイル表示", 6},
    {ID_VIEW_LIST, nullptr, nullptr, "ListView", "一覧表示", 7},
    {ID_VIEW_SHOWPICTURE, "ShowPicture", "画像を表示", "ShowSelectedPic", "選択された画像を表示", 8},
    {ID_VIEW_RETURNLIST, nullptr, nullptr, "ReturnList", "一覧に戻る", 9},
    {ID_VIEW_PREVPICTURE, nullptr, nullptr, "PrevPicture", "前の画像", 10},
    {ID_VIEW_NEXTPICTURE, nullptr, nullptr, "NextPicture", "次の画像", 11},
    {ID_VIEW_REALSIZE, nullptr, nullptr, "ShowRealSize", "実寸大表示", 14},
    {ID_VIEW_INWINDOW, nullptr, nullptr, "ShowInWindow", "ウィンドウ内表示", 15},
    {ID_VIEW_ZOOMIN, nullptr, nullptr, "ZoomIn", "拡大", 12},
    {ID_VIEW_ZOOMOUT, nullptr, nullptr, "ZoomOut", "縮小", 13},
    {ID_IMAGE_ROTATERIGHT, nullptr, nullptr, "Rotate90Right", "右に９０度回転", 22},
    {ID_IMAGE_ROTATELEFT, nullptr, nullptr, "Rotate90Left", "左に９０度回転", 23},
    {ID_IMAGE_REFLECTH, nullptr, nullptr, "ReflectHorizontal", "画像を左右反転", 24},
    {ID_IMAGE_REFLECTV, nullptr, nullptr, "ReflectVertical", "画像を上下反転", 25},
    {ID_VIEW_REFRESH, "Reflesh", "最新の情報に更新", "RefreshView", "最新の情報に更新", 4},
    {ID_VIEW_THUMBSMALL, "ThumbSizeSmall", "小 120× 80", nullptr, nullptr, 0},
    {ID_VIEW_THUMBMEDIUM, "ThumbSizeMideum", "中 180×120", nullptr, nullptr, 0},
    {ID_VIEW_THUMBLARGE, "ThumbSizeLarge", "大 240×160", nullptr, nullptr, 0},
    {ID_VIEW_SORT, "Sort", "並べ替え", nullptr, nullptr, 0},
    {ID_EDIT_CUT, "Cut", "切り取り", "EditCut", "切り取り", 16},
    {ID_EDIT_COPY, "Copy", "コピー", "EditCopy", "コピー", 17},
    {ID_EDIT_PASTE, "Paste", "貼り付け", "EditPaste", "貼り付け", 18},
    {ID_EDIT_DELETE, "Delete", "削除", "EditDelete", "このファイルを削除", 19},
    {ID_EDIT_MOVE, nullptr, nullptr, "EditMove", "ファイルのコピーと移動", 20},
    {ID_EDIT_PROPERTY, "Property", "プロパティ", "EditProperty", "プロパティ", 21},
    {ID_EDIT_SELECTALL, "AllSelect", "すべて選択", nullptr, nullptr, 0},
    {ID_EDIT_CUTALL, "AllCut", "すべて切り取り", nullptr, nullptr, 0},
    {ID_EDIT_COPYALL, "AllCopy", "すべてコピー", nullptr, nullptr, 0},
    {ID_EDIT_DELETEALL, "AllDelete", "すべて削除", nullptr, nullptr, 0},
    {ID_TOOL_APPSETTING, "AppSetting", "アプリケーションの設定", nullptr, nullptr, 0},
    {ID_HELP_INDEX, "ShowHelpIndex", "目次", nullptr, nullptr, 0},
    {ID_HELP_INFORMATION, "Information", "アプリケーションの情報", nullptr, nullptr, 0},
    {ID_TWAIN_SELECT, "TWAINSelect", "TWAIN 機器選択", "TWAINSelect", "TWAIN 機器選択", 0},
    {ID_TWAIN_INPUT, "TWAINInput", "TWAIN 取り込み", "TWAINInput", "TWAIN 取り込み", 0},
    {ID_APP_EXIT, "AppExit", "アプリケーションの終了", nullptr, nullptr, 0},
    {ID_VIEW_TOOLBAR, "ShowToolBar", "ツールバー", nullptr, nullptr, 0},
    {ID_VIEW_STATUS_BAR, "ShowStatusBar", "ステータスバー", nullptr, nullptr, 0},
};

constexpr FrameText kPopupAndBarTexts[] = {
    {kMenuTextSection, "FileGroup", "ファイル"}, {kMenuTextSection, "EditGroup", "編集"},
    {kMenuTextSection, "ViewGroup", "表示"},     {kMenuTextSection, "ThumbSizePop", "サムネイルの大きさ"},
    {kMenuTextSection, "ToolGroup", "ツール"},   {kMenuTextSection, "HelpGroup", "ヘルプ"},
    {kBarTitleSection, "ToolBar", "ツールバー"}, {kBarTitleSection, "FolderTree", "フォルダ一覧"},
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
    Popup("FileGroup"),
    Item(ID_FILE_SAVEAS),
    Item(ID_FILE_PRINT),
    kSep,
    Item(ID_TWAIN_SELECT),
    Item(ID_TWAIN_INPUT),
    kSep,
    Item(ID_FILE_SENDMAIL),
    Item(ID_FILE_OPENAPPLI),
    kSep,
    Item(ID_APP_EXIT),
    kEnd,
    Popup("EditGroup"),
    Item(ID_EDIT_SELECTALL),
    kSep,
    Item(ID_EDIT_CUT),
    Item(ID_EDIT_COPY),
    Item(ID_EDIT_PASTE),
    Item(ID_EDIT_DELETE),
    kSep,
    Item(ID_EDIT_CUTALL),
    Item(ID_EDIT_COPYALL),
    Item(ID_EDIT_DELETEALL),
    kEnd,
    Popup("ViewGroup"),
    Popup("ThumbSizePop"),
    Item(ID_VIEW_THUMBSMALL),
    Item(ID_VIEW_THUMBMEDIUM),
    Item(ID_VIEW_THUMBLARGE),
    kEnd,
    kSep,
    Item(ID_VIEW_SORT),
    kSep,
    Item(ID_VIEW_TOOLBAR),
    Item(ID_VIEW_FOLDERTREE),
    Item(ID_VIEW_PREVIEW),
    Item(ID_VIEW_STATUS_BAR),
    kSep,
    Item(ID_VIEW_REFRESH),
    kEnd,
    Popup("ToolGroup"),
    Item(ID_TOOL_APPSETTING),
    kEnd,
    Popup("HelpGroup"),
    Item(ID_HELP_INDEX),
    kSep,
    Item(ID_HELP_INFORMATION),
    kEnd,
};

constexpr MenuEntry kContextMenu[] = {
    Item(ID_VIEW_SHOWPICTURE),
    Item(ID_FILE_PRINT),
    kSep,
    Item(ID_EDIT_SELECTALL),
    kSep,
    Item(ID_EDIT_CUT),
    Item(ID_EDIT_COPY),
    Item(ID_EDIT_PASTE),
    Item(ID_EDIT_DELETE),
    kSep,
    Item(ID_EDIT_CUTALL),
    Item(ID_EDIT_COPYALL),
    Item(ID_EDIT_DELETEALL),
    kSep,
    Item(ID_FILE_SENDMAIL),
    Item(ID_FILE_OPENAPPLI),
    kSep,
    Item(ID_EDIT_PROPERTY),
};

constexpr int kToolbar[] = {ID_FILE_NEWFOLDER,
                            ID_FILE_PRINT,
                            ID_FILE_SAVEAS,
                            0,
                            ID_VIEW_REFRESH,
                            ID_VIEW_LIGHTTHUMB,
                            ID_VIEW_DETAILTHUMB,
                            ID_VIEW_LIST,
                            0,
                            ID_VIEW_SHOWPICTURE,
                            ID_VIEW_RETURNLIST,
                            ID_VIEW_PREVPICTURE,
                            ID_VIEW_NEXTPICTURE,
                            0,
                            ID_VIEW_ZOOMIN,
                            ID_VIEW_ZOOMOUT,
                            ID_VIEW_REALSIZE,
                            ID_VIEW_INWINDOW,
                            0,
                            ID_EDIT_CUT,
                            ID_EDIT_COPY,
                            ID_EDIT_PASTE,
                            ID_EDIT_DELETE,
                            ID_EDIT_MOVE,
                            ID_EDIT_PROPERTY,
                            0,
                            ID_IMAGE_ROTATERIGHT,
                            ID_IMAGE_ROTATELEFT,
                            ID_IMAGE_REFLECTH,
                            ID_IMAGE_REFLECTV,
                            0,
                            ID_FILE_OPENAPPLI,
                            ID_FILE_SENDMAIL};

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
