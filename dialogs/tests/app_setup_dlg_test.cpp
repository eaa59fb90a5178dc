// The application setup dialog, run modally and answered as a user would:
// what it shows from the settings, what OK stores (and the messages that
// keep it open), and resident mode, written and applied at once on OK only.
#include "dialogs/app_setup_dlg.h"

#include <windows.h>

#include <windowsx.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "app/auto_start.h"
#include "core/app/startup_rules.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"
#include "win/window.h"

namespace zv {
namespace {

// The text of a message box (its static has the id 0xFFFF).
std::string BoxText(HWND box) { return win::GetWindowTextString(GetDlgItem(box, 0xFFFF)); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
std::string Shown(HWND dialog, int id) {
  char text[64] = "";
  const HWND list = GetDlgItem(dialog, id);
  const int selected = ComboBox_GetCurSel(list);
  if (selected >= 0) ComboBox_GetLBText(list, selected, text);
  return text;
}
bool RunValueExists() {
  const std::string name = AutoStartValueName(ProgramPath());
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    win::UniqueKey key = win::OpenKey(root, kRunKeyPath);
    if (key && win::ReadString(key.get(), name)) return true;
  }
  return false;
}

class AppSetupDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteProgramSettings();
    SetAutoStart(0, ProgramPath());
    services_.CreateAppFont();
    std::strcpy(settings_.chaSavFol, "C:\\scans");
  }
  void TearDown() override {
    SetAutoStart(0, ProgramPath());
    test::DeleteProgramSettings();
  }
  // Runs the dialog, answered by `answer`; true when it ended with OK.
  bool Run(const std::function<void(HWND)>& answer) {
    bool ok = false;
    EXPECT_TRUE(test::AnswerModalDialog(
        [&] { ok = RunAppSetupDialog(nullptr, settings_, [&](bool on) { switches_.push_back(on); }); }, answer));
    return ok;
  }
  // Presses OK in `dialog` and answers the message that keeps it open; its text.
  static std::string OkRefused(HWND dialog) {
    std::string message;
    EXPECT_TRUE(test::AnswerModalDialog([&] { SendMessageA(dialog, WM_COMMAND, IDOK, 0); },
                                        [&](HWND box) {
                                          message = BoxText(box);
                                          PostMessageA(box, WM_COMMAND, IDOK, 0);
                                        }));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    return message;
  }

  AppServices services_;
  EnvSet settings_;
  std::vector<bool> switches_;
};

TEST_F(AppSetupDlgTest, ShowsTheSettingsAndOkStoresTheTableEntries) {
  std::strcpy(settings_.chaDteFmt, "%d.%m.%Y");  // in no row
  std::strcpy(settings_.chaNumFmt, "[00");       // the list's prefix search
  std::strcpy(settings_.chaExtNam, "jpe");
  settings_.chaFilNam[0] = '\0';
  std::string date, number, extension;
  bool dateEnabled = false, nameEnabled = true;
  EXPECT_TRUE(Run([&](HWND dlg) {
    date = Shown(dlg, IDC_SETUP_DATE_LIST);
    number = Shown(dlg, IDC_SETUP_NUMBER);
    extension = Shown(dlg, IDC_SETUP_EXTENSION);
    dateEnabled = IsWindowEnabled(GetDlgItem(dlg, IDC_SETUP_DATE_LIST));
    nameEnabled = IsWindowEnabled(GetDlgItem(dlg, IDC_SETUP_NAME_EDIT));
    Click(dlg, IDOK);  // date mode: an empty fixed name is no matter
  }));
  EXPECT_EQ(date, "YYYYMMDD_HHMMSS") << "an unknown pattern shows the first row";
  EXPECT_EQ(number, "[00]");
  EXPECT_EQ(extension, "JPEG");
  EXPECT_TRUE(dateEnabled);
  EXPECT_FALSE(nameEnabled) << "the fixed name is for fixed-name mode";
  EXPECT_STREQ(settings_.chaDteFmt, "%Y%m%d_%H%M%S");
  EXPECT_STREQ(settings_.chaNumFmt, "[00]");
  EXPECT_STREQ(settings_.chaExtNam, "JPEG");
  EXPECT_EQ(switches_, std::vector<bool>{false}) << "resident mode is applied on OK, here: off";

  // Values edited by hand in the registry that begin no entry: the default
  // entries are shown and stored, never an empty one.
  settings_.chaNumFmt[0] = '\0';
  std::strcpy(settings_.chaExtNam, "GIF");
  EXPECT_TRUE(Run([&](HWND dlg) {
    number = Shown(dlg, IDC_SETUP_NUMBER);
    extension = Shown(dlg, IDC_SETUP_EXTENSION);
    Click(dlg, IDOK);
  }));
  EXPECT_EQ(number, "(000)");
  EXPECT_EQ(extension, "PNG");
  EXPECT_STREQ(settings_.chaNumFmt, "(000)");
  EXPECT_STREQ(settings_.chaExtNam, "PNG");
}

TEST_F(AppSetupDlgTest, OkWaitsForAFolderAndAFixedName) {
  settings_.chaSavFol[0] = '\0';
  std::strcpy(settings_.chaFilNam, "keep");
  std::vector<std::string> messages;
  EXPECT_TRUE(Run([&](HWND dlg) {
    messages.push_back(OkRefused(dlg));
    SetWindowTextA(GetDlgItem(dlg, IDC_SETUP_FOLDER_TEXT), "C:\\chosen");
    Click(dlg, IDC_SETUP_FIXED_NAME);
    SetWindowTextA(GetDlgItem(dlg, IDC_SETUP_NAME_EDIT), "");
    messages.push_back(OkRefused(dlg));
    SetWindowTextA(GetDlgItem(dlg, IDC_SETUP_NAME_EDIT), "Board");
    Click(dlg, IDOK);
  }));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0], messages[1]);
  EXPECT_FALSE(messages[0].empty());
  EXPECT_STREQ(settings_.chaSavFol, "C:\\chosen");
  EXPECT_EQ(settings_.intNamMod, 1);
  EXPECT_STREQ(settings_.chaFilNam, "Board");
}

TEST_F(AppSetupDlgTest, ResidentModeIsWrittenAndAppliedOnlyOnOk) {
  const EnvSet before = settings_;
  std::string warning;
  EXPECT_FALSE(Run([&](HWND dlg) {
    EXPECT_TRUE(test::AnswerModalDialog([&] { Click(dlg, IDC_SETUP_RESIDENT); },
                                        [&](HWND box) {
                                          warning = BoxText(box);
                                          PostMessageA(box, WM_COMMAND, IDOK, 0);
                                        }));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_SETUP_RESIDENT), BST_CHECKED) << "the box stays ticked";
    SetWindowTextA(GetDlgItem(dlg, IDC_SETUP_FOLDER_TEXT), "C:\\elsewhere");
    Click(dlg, IDCANCEL);
  }));
  EXPECT_FALSE(warning.empty()) << "ticking it warns";
  EXPECT_EQ(GetTrayStart(), 0) << "Cancel changes nothing";
  EXPECT_FALSE(RunValueExists());
  EXPECT_TRUE(switches_.empty());
  EXPECT_EQ(std::memcmp(&settings_, &before, sizeof before), 0);

  EXPECT_TRUE(Run([&](HWND dlg) {
    test::AnswerModalDialog([&] { Click(dlg, IDC_SETUP_RESIDENT); },
                            [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
    Click(dlg, IDOK);
  }));
  EXPECT_EQ(GetTrayStart(), 1);
  EXPECT_TRUE(RunValueExists());
  EXPECT_EQ(switches_, std::vector<bool>{true}) << "a resident copy is started";

  EXPECT_TRUE(Run([&](HWND dlg) {
    Click(dlg, IDC_SETUP_RESIDENT);  // cleared: no warning
    Click(dlg, IDOK);
  }));
  EXPECT_EQ(GetTrayStart(), 0);
  EXPECT_FALSE(RunValueExists());
  EXPECT_EQ(switches_, (std::vector<bool>{true, false})) << "the resident copy is closed";
}

}  // namespace
}  // namespace zv
