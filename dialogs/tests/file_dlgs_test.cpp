// The file property dialog and the save-as dialog, run modally and answered
// with clicks: what they show, the name and date checks that keep the
// property dialog open, the changes it reports, and the save dialog's type
// list (its entries, the entry it opens on, the extension a type change
// puts into the name field).
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "core/fileops/file_attr_rules.h"
#include "dialogs/file_attr_dlg.h"
#include "dialogs/save_as_dlg.h"
#include "res/resource.h"
#include "tests/wine/nested_answer.h"
#include "tests/wine/window_shot.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using win::Utf8ToAnsi;

std::string TextOf(HWND dialog, int id) { return win::GetWindowTextString(GetDlgItem(dialog, id)); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void Type(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

// What a message box showed: its text and the button that had the focus
// (its default button); `shown` false when none came.
struct Box {
  bool shown = false;
  std::string text;
  int focused = 0;
};

// Clicks OK in `dialog` and answers the message box it may open with `answer`.
Box ClickOk(HWND dialog, int answer = IDOK) {
  Box box;
  test::NestedAnswer nested(dialog, [&](HWND shown) {
    box.shown = true;
    box.text = TextOf(shown, 0xFFFF);
    box.focused = GetDlgCtrlID(GetFocus());
    Click(shown, answer);
  });
  Click(dialog, IDOK);
  // A box that did not come at once will not come: OK ran synchronously.
  return box;
}

// The UTC file time whose local time is the given one, plus `extra` 100 ns units.
FileTime UtcOfLocal(int year, int month, int day, int hour, int minute, int second, uint32_t extra = 0) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  local.wSecond = static_cast<WORD>(second);
  FILETIME localFile{}, utc{};
  SystemTimeToFileTime(&local, &localFile);
  LocalFileTimeToFileTime(&localFile, &utc);
  ULARGE_INTEGER value{};
  value.LowPart = utc.dwLowDateTime;
  value.HighPart = utc.dwHighDateTime;
  value.QuadPart += extra;
  return {value.LowPart, value.HighPart};
}

class FileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(Ini().c_str());
    services_.CreateAppFont();
    item_ = FileListItem{};
    SetItemPath(item_, folder_.path(), "a.jpg", win::IsAnsiLeadByte);
    item_.lastWrite = UtcOfLocal(2020, 5, 6, 7, 8, 9, 1234567);  // with a sub-second part
    item_.fileSize = 123456;
    item_.width = 97;
    item_.height = 61;
    item_.colors = 16777216;
  }
  void TearDown() override { DeleteFileA(Ini().c_str()); }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }

  // Runs the property dialog on item_ and answers it with `answer`.
  std::optional<FileAttrResult> Property(const std::function<void(HWND)>& answer) {
    std::optional<FileAttrResult> result;
    EXPECT_TRUE(test::AnswerModalDialog([&] { result = RunFileAttrDialog(nullptr, item_); }, answer));
    return result;
  }

  AppServices services_;
  test::TempFolder folder_;
  FileListItem item_{};
};

TEST_F(FileDialogsTest, PropertyDialogShowsTheFileAndReportsOnlyWhatChanged) {
  std::vector<std::string> shown;
  std::vector<LRESULT> limits;
  bool looksRight = false;
  std::optional<FileAttrResult> result = Property([&](HWND dlg) {
    for (int id : {0, IDC_ATTR_NAME_LABEL, IDC_ATTR_DATE_LABEL, IDC_ATTR_TIME_LABEL, IDC_ATTR_PICSIZE_LABEL,
                   IDC_ATTR_COLORS_LABEL, IDC_ATTR_FILESIZE_LABEL, IDOK, IDCANCEL, IDC_ATTR_NAME, IDC_ATTR_YEAR,
                   IDC_ATTR_MONTH, IDC_ATTR_DAY, IDC_ATTR_HOUR, IDC_ATTR_MINUTE, IDC_ATTR_SECOND, IDC_ATTR_PICSIZE,
                   IDC_ATTR_COLORS, IDC_ATTR_FILESIZE})
      shown.push_back(id == 0 ? win::GetWindowTextString(dlg) : TextOf(dlg, id));
    for (int id : {IDC_ATTR_NAME, IDC_ATTR_YEAR, IDC_ATTR_MONTH, IDC_ATTR_SECOND})
      limits.push_back(SendDlgItemMessageA(dlg, id, EM_GETLIMITTEXT, 0, 0));
    looksRight = test::HasProgramIcon(dlg);
    for (int id : {IDC_ATTR_NAME, IDC_ATTR_YEAR, IDC_ATTR_PICSIZE_LABEL, IDC_ATTR_FILESIZE, IDOK})
      looksRight = looksRight && reinterpret_cast<HFONT>(SendDlgItemMessageA(dlg, id, WM_GETFONT, 0, 0)) == GetAppFont();
    test::SaveWindowShot(dlg, "file_attr_dialog");
    Type(dlg, IDC_ATTR_NAME, "  holiday ");
    Click(dlg, IDOK);
  });
  EXPECT_EQ(shown, (std::vector<std::string>{
                       Utf8ToAnsi("プロパティ"), Utf8ToAnsi("ファイル名"), Utf8ToAnsi("日時"), Utf8ToAnsi("時刻"),
                       Utf8ToAnsi("画像サイズ"), Utf8ToAnsi("色数"), Utf8ToAnsi("ファイルサイズ"), Utf8ToAnsi("ＯＫ"),
                       Utf8ToAnsi("キャンセル"), "a.jpg", "2020", "05", "06", "07", "08", "09", "97 * 61 dot",
                       "16777216", "123456 bytes"}));
  EXPECT_EQ(limits, (std::vector<LRESULT>{260, 4, 2, 2}));
  EXPECT_TRUE(looksRight) << "program icon and application font";
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->changes, kNameChanged) << "a name without extension keeps .jpg; the time is untouched";
  EXPECT_STREQ(result->item.name, "holiday.jpg");
  EXPECT_EQ(std::string(result->item.path), folder_.File("holiday.jpg"));
  EXPECT_EQ(result->item.lastWrite.low, item_.lastWrite.low) << "the sub-second part stays";
  EXPECT_EQ(result->item.lastWrite.high, item_.lastWrite.high);

  // A case-only name change is none; a new second is the one change.
  result = Property([&](HWND dlg) {
    Type(dlg, IDC_ATTR_NAME, "A.JPG");
    Type(dlg, IDC_ATTR_SECOND, "10");
    Click(dlg, IDOK);
  });
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->changes, kTimeChanged);
  EXPECT_STREQ(result->item.name, "a.jpg");
  const FileTime ten = UtcOfLocal(2020, 5, 6, 7, 8, 10);
  EXPECT_EQ(result->item.lastWrite.low, ten.low);
  EXPECT_EQ(result->item.lastWrite.high, ten.high);

  // Another image type goes through without a question; an unknown one asks, No by default.
  Box png, txtNo, txtYes;
  result = Property([&](HWND dlg) {
    Type(dlg, IDC_ATTR_NAME, "a.png");
    png = ClickOk(dlg);
  });
  EXPECT_FALSE(png.shown) << png.text;
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->changes, kNameChanged);
  EXPECT_STREQ(result->item.name, "a.png");

  std::string nameAfterNo;
  result = Property([&](HWND dlg) {
    Type(dlg, IDC_ATTR_NAME, "a.txt");
    txtNo = ClickOk(dlg, IDNO);
    nameAfterNo = TextOf(dlg, IDC_ATTR_NAME);
    Click(dlg, IDCANCEL);
  });
  EXPECT_TRUE(txtNo.shown);
  EXPECT_EQ(txtNo.text, Utf8ToAnsi("拡張子を変更すると読み込めなくなります。\nよろしいですか？"));
  EXPECT_EQ(txtNo.focused, IDNO) << "No is the default button";
  EXPECT_EQ(nameAfterNo, "a.txt") << "No keeps the dialog open with the name as typed";
  EXPECT_FALSE(result.has_value());
  result = Property([&](HWND dlg) {
    Type(dlg, IDC_ATTR_NAME, "a.txt");
    txtYes = ClickOk(dlg, IDYES);
  });
  EXPECT_TRUE(txtYes.shown);
  ASSERT_TRUE(result.has_value());
  EXPECT_STREQ(result->item.name, "a.txt");

  result = Property([&](HWND dlg) {
    Type(dlg, IDC_ATTR_NAME, "other");
    Click(dlg, IDCANCEL);
  });
  EXPECT_FALSE(result.has_value());
}

// Each check runs in a dialog of its own: under Wine without a window
// manager every message box takes two seconds to close, and a dialog's
// answer has five.
TEST_F(FileDialogsTest, PropertyDialogRefusesBadNamesAndDatesFieldByField) {
  test::WriteFileBytes(folder_.File("taken.jpg"), "x");
  struct Step {
    const char* name;
    const char* year;
    const char* month;
    const char* day;
    const char* second;
  };
  const Step steps[] = {
      {"b;c", "2020", "5", "6", "9"},    {" taken", "2020", "5", "6", "9"},  {"a.jpg", "1600", "13", "6", "9"},
      {"a.jpg", "2020", "13", "40", "9"}, {"a.jpg", "1900", "2", "29", "9"}, {"a.jpg", "2003", "02", "29", "9"},
      {"a.jpg", "2020", "5", "6", ""},
  };
  // Each step's refusal and the field that then has the focus.
  std::vector<std::string> refusals;
  std::vector<int> focus;
  for (const Step& step : steps) {
    const std::optional<FileAttrResult> result = Property([&](HWND dlg) {
      Type(dlg, IDC_ATTR_NAME, step.name);
      Type(dlg, IDC_ATTR_YEAR, step.year);
      Type(dlg, IDC_ATTR_MONTH, step.month);
      Type(dlg, IDC_ATTR_DAY, step.day);
      Type(dlg, IDC_ATTR_SECOND, step.second);
      refusals.push_back(ClickOk(dlg).text);
      focus.push_back(GetDlgCtrlID(GetFocus()));
      Click(dlg, IDCANCEL);
    });
    EXPECT_FALSE(result.has_value()) << step.name << " " << step.year;
  }
  EXPECT_EQ(refusals, (std::vector<std::string>{
                          Utf8ToAnsi("ファイル名には次の文字は使用できません。") + "\n\\/:;,*?<>|\"",
                          // " taken" passes as typed; trimmed, with the old extension, it names taken.jpg
                          Utf8ToAnsi("同じ名前のファイルかフォルダが存在します。"),
                          Utf8ToAnsi("年は、1601以上、9999以下を入力して下さい。"),
                          Utf8ToAnsi("月は、1以上、12以下を入力して下さい。"),
                          Utf8ToAnsi("日は、1以上、28以下を入力して下さい。"),
                          Utf8ToAnsi("日は、1以上、28以下を入力して下さい。"),
                          Utf8ToAnsi("秒を入力して下さい。")}));
  EXPECT_EQ(focus, (std::vector<int>{IDC_ATTR_NAME, IDC_ATTR_NAME, IDC_ATTR_YEAR, IDC_ATTR_MONTH, IDC_ATTR_DAY,
                                     IDC_ATTR_DAY, IDC_ATTR_SECOND}));

  // 29 February passes in 2000 (divisible by 400) and 2004.
  for (const char* year : {"2000", "2004"}) {
    Box box;
    const std::optional<FileAttrResult> result = Property([&](HWND dlg) {
      Type(dlg, IDC_ATTR_YEAR, year);
      Type(dlg, IDC_ATTR_MONTH, "2");
      Type(dlg, IDC_ATTR_DAY, "29");
      box = ClickOk(dlg);
    });
    EXPECT_FALSE(box.shown) << year << ": " << box.text;
    ASSERT_TRUE(result.has_value()) << year;
    EXPECT_EQ(result->changes, kTimeChanged);
    const FileTime leap = UtcOfLocal(std::stoi(year), 2, 29, 7, 8, 9);
    EXPECT_EQ(result->item.lastWrite.low, leap.low) << year;
    EXPECT_EQ(result->item.lastWrite.high, leap.high) << year;
  }
}

// The type list of the save dialog: its entries, the selected one, the file name field.
struct SaveDialogState {
  std::vector<std::string> types;
  int selected = -1;
  std::string name;
};

int NameField(HWND dialog) { return GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1; }

SaveDialogState ReadSaveDialog(HWND dialog) {
  SaveDialogState state;
  HWND types = GetDlgItem(dialog, cmb1);
  const LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[256] = "";
    SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    state.types.emplace_back(text);
  }
  state.selected = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
  state.name = TextOf(dialog, NameField(dialog));
  return state;
}

// Picks entry `index` (0-based) of the type list as the user would.
void PickType(HWND dialog, int index) {
  HWND types = GetDlgItem(dialog, cmb1);
  SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // What the combo box tells its dialog when the user picks with the mouse.
  for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
}

TEST_F(FileDialogsTest, SaveDialogOpensOnTheSourcesTypeAndATypeChangeSetsTheExtension) {
  const std::string source = folder_.File("a.JPG");
  test::WriteFileBytes(source, "x");
  SaveDialogState opened, toPng, toTiff;
  std::optional<std::string> chosen;
  ASSERT_TRUE(test::AnswerModalDialog([&] { chosen = RunSaveAsDialog(nullptr, source); },
                                      [&](HWND dlg) {
                                        opened = ReadSaveDialog(dlg);
                                        test::SaveWindowShot(dlg, "save_as_dialog");
                                        PickType(dlg, 0);
                                        toPng = ReadSaveDialog(dlg);
                                        PickType(dlg, 1);
                                        toTiff = ReadSaveDialog(dlg);
                                        Click(dlg, IDCANCEL);
                                      }));
  EXPECT_EQ(opened.types, (std::vector<std::string>{Utf8ToAnsi("PNGファイル(*.png)"), Utf8ToAnsi("TIFFファイル(*.tif,*tiff)"),
                                                    Utf8ToAnsi("BMPファイル(*.bmp)"), Utf8ToAnsi("JPEGファイル(*.jpg,*jpeg)")}));
  EXPECT_EQ(opened.selected, 3) << ".JPG opens on the JPEG entry";
  EXPECT_EQ(opened.name, "a.JPG");
  EXPECT_EQ(toPng.name, "a.png") << "switching JPEG to PNG changes the extension";
  EXPECT_EQ(toTiff.name, "a.tif") << "never .tiff";
  EXPECT_FALSE(chosen.has_value());

  const std::string gif = folder_.File("b.gif");
  test::WriteFileBytes(gif, "x");
  ASSERT_TRUE(test::AnswerModalDialog([&] { chosen = RunSaveAsDialog(nullptr, gif); },
                                      [&](HWND dlg) {
                                        opened = ReadSaveDialog(dlg);
                                        Type(dlg, NameField(dlg), "c.png");
                                        Click(dlg, IDOK);
                                      }));
  EXPECT_EQ(opened.selected, 2) << ".gif opens on the BMP entry";
  EXPECT_EQ(chosen, std::optional<std::string>(folder_.File("c.png"))) << "the full path in the source's folder";
}

}  // namespace
}  // namespace zv
