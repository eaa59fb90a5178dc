// The sort settings dialog, run modally and answered with button clicks:
// what it shows at opening, the two independent radio groups, and what OK
// and Cancel give back.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "core/app/text_keys.h"
#include "dialogs/sort_dlg.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {
namespace {

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// The ids checked among the eight radio buttons, in id order.
std::vector<int> CheckedIds(HWND dialog) {
  std::vector<int> ids;
  for (int id = IDC_SORT_NAME; id <= IDC_SORT_DESCENDING; ++id)
    if (Checked(dialog, id)) ids.push_back(id);
  return ids;
}

class SortDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(Ini().c_str());
    services_.CreateAppFont();
  }
  void TearDown() override { DeleteFileA(Ini().c_str()); }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }
  // Runs the dialog on `current` and answers it with `answer`.
  std::optional<SortOrder> Run(SortOrder current, const std::function<void(HWND)>& answer) {
    std::optional<SortOrder> chosen;
    EXPECT_TRUE(test::AnswerModalDialog([&] { chosen = RunSortDialog(nullptr, current); }, answer));
    return chosen;
  }

  AppServices services_;
};

TEST_F(SortDlgTest, OpensOnTheCurrentOrderAndOkGivesWhatWasClicked) {
  WritePrivateProfileStringA("SortSettingDialog", StoredTextKey("OderLarge").c_str(), "Z to A", Ini().c_str());
  std::vector<int> opened, afterKey;
  std::string title, typeText, descendingText, okText;
  bool looksRight = false;
  const std::optional<SortOrder> chosen = Run({3, kDescending}, [&](HWND dlg) {
    opened = CheckedIds(dlg);
    title = win::GetWindowTextString(dlg);
    typeText = win::GetWindowTextString(GetDlgItem(dlg, IDC_SORT_TYPE));
    descendingText = win::GetWindowTextString(GetDlgItem(dlg, IDC_SORT_DESCENDING));
    okText = win::GetWindowTextString(GetDlgItem(dlg, IDOK));
    looksRight = test::HasProgramIcon(dlg);
    for (int id : {IDC_SORT_KEY_GROUP, IDC_SORT_NAME, IDC_SORT_COLORS, IDC_SORT_DIR_GROUP, IDC_SORT_ASCENDING, IDCANCEL})
      looksRight = looksRight && reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dlg, id), WM_GETFONT, 0, 0)) ==
                                     GetAppFont();
    Click(dlg, IDC_SORT_TYPE);
    afterKey = CheckedIds(dlg);
    Click(dlg, IDC_SORT_ASCENDING);
    Click(dlg, IDOK);
  });
  EXPECT_EQ(opened, (std::vector<int>{IDC_SORT_SIZE, IDC_SORT_DESCENDING}));
  EXPECT_EQ(afterKey, (std::vector<int>{IDC_SORT_TYPE, IDC_SORT_DESCENDING}))
      << "a key click moves the key only: the groups are apart";
  EXPECT_EQ(title, win::Utf8ToAnsi("並べ替えの設定"));
  EXPECT_EQ(typeText, win::Utf8ToAnsi("タイプ"));
  EXPECT_EQ(okText, win::Utf8ToAnsi("ＯＫ"));
  EXPECT_EQ(descendingText, "Z to A") << "from String.ini";
  EXPECT_TRUE(looksRight) << "program icon and application font on the dialog's controls";
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (SortOrder{1, kAscending}));
}

TEST_F(SortDlgTest, OddStoredValuesOpenAsNameDescendingAndCancelGivesNothing) {
  std::vector<int> opened;
  const std::optional<SortOrder> chosen = Run({77, 0}, [&](HWND dlg) {
    opened = CheckedIds(dlg);
    Click(dlg, IDC_SORT_COLORS);
    Click(dlg, IDC_SORT_ASCENDING);
    Click(dlg, IDCANCEL);
  });
  EXPECT_EQ(opened, (std::vector<int>{IDC_SORT_NAME, IDC_SORT_DESCENDING}))
      << "a key outside 0..5 shows as the name, a direction other than -1 as descending";
  EXPECT_FALSE(chosen.has_value()) << "Cancel gives nothing, whatever was clicked";
}

}  // namespace
}  // namespace zv
