#include "dialogs/sort_dlg.h"

#include "app/app_services.h"
#include "app/ui_text_table.h"
#include "res/resource.h"

namespace zv {

namespace {

constexpr char kSection[] = "SortSettingDialog";

struct TextPlace {
  const char* key;
  const char* defaultUtf8;
  int id;  // 0: the dialog's title
};

constexpr TextPlace kTexts[] = {
    {"DialogTitle", "並べ替えの設定", 0},
    {"SortItem", "項目", IDC_SORT_KEY_GROUP},
    {"SortFileName", "ファイル名", IDC_SORT_NAME},
    {"SortFileType", "タイプ", IDC_SORT_TYPE},
    {"SortFileDate", "更新日時", IDC_SORT_DATE},
    {"SortFileSize", "ファイルサイズ", IDC_SORT_SIZE},
    {"SortPictSize", "画像サイズ", IDC_SORT_PICTSIZE},
    {"SortColors", "色数", IDC_SORT_COLORS},
    {"SortDirection", "順序", IDC_SORT_DIR_GROUP},
    {"OderSmall", "昇順", IDC_SORT_ASCENDING},
    {"OderLarge", "降順", IDC_SORT_DESCENDING},
    {"OK", "ＯＫ", IDOK},
    {"Cancel", "キャンセル", IDCANCEL},
};

}  // namespace

CSortDlg::CSortDlg(SortOrder current) : win::Dialog(IDD_SORT_SETTINGS), current_(current) {}

bool CSortDlg::OnInitDialog() {
  chosen_.reset();
  CheckRadioButton(hwnd(), IDC_SORT_NAME, IDC_SORT_COLORS, IDC_SORT_NAME + NormalSortKey(current_.key));
  CheckRadioButton(hwnd(), IDC_SORT_ASCENDING, IDC_SORT_DESCENDING,
                   NormalSortDir(current_.dir) == kAscending ? IDC_SORT_ASCENDING : IDC_SORT_DESCENDING);
  ShowTexts();
  ApplyProgramLook(GetAppFont(), IDR_MAINFRAME);
  return true;
}

void CSortDlg::ShowTexts() {
  CUiTextTable texts;
  for (const TextPlace& place : kTexts) {
    const std::string text = texts.GetText(kSection, place.key, place.defaultUtf8);
    SetWindowTextA(place.id == 0 ? hwnd() : Item(place.id), text.c_str());
  }
}

int CSortDlg::CheckedIndex(int first, int last) const {
  for (int id = first; id <= last; ++id)
    if (IsDlgButtonChecked(hwnd(), id) == BST_CHECKED) return id - first;
  return -1;
}

bool CSortDlg::OnCommand(int id, int code, HWND from) {
  if (id == IDOK) {
    // Both groups always hold a checked button; should one be empty all the
    // same, that half of the order stays as it was.
    const int key = CheckedIndex(IDC_SORT_NAME, IDC_SORT_COLORS);
    const int direction = CheckedIndex(IDC_SORT_ASCENDING, IDC_SORT_DESCENDING);
    chosen_ = SortOrder{key >= 0 ? key : NormalSortKey(current_.key),
                        direction < 0 ? NormalSortDir(current_.dir) : (direction == 0 ? kAscending : kDescending)};
  }
  return win::Dialog::OnCommand(id, code, from);
}

std::optional<SortOrder> RunSortDialog(HWND owner, SortOrder current) {
  CSortDlg dialog(current);
  if (dialog.RunModal(owner) != IDOK) return std::nullopt;
  return dialog.chosen();
}

}  // namespace zv
