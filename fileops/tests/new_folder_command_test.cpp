// The new-folder command (32860): enabled while a folder is listed, proposes
// the first free name in the listed folder, and hands the accepted name to
// the folder tree. Answered with clicks in the real folder name dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "core/app/text_keys.h"
#include "fileops/file_commands.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {
namespace {

class RecordingHost : public FileCommandHost {
 public:
  void RefreshFolders() override {}
  std::vector<std::string> SelectedFiles() const override { return {}; }
  size_t SelectedFileCount() const override { return 0; }
  size_t FileCount() const override { return 0; }
  void SelectAllFiles() override {}
  std::string ShownFolder() const override { return listed; }
  bool PictureShown() const override { return false; }
  bool CanShowFile(const std::string&) const override { return false; }
  bool HeadersShowable(const std::string&) const override { return false; }
  FileOperationSite OperationSite() const override { return {}; }
  FolderFilesLease ReleaseFolderFiles() override { return {}; }
  bool NewFolderInTree(const std::string& name) override {
    made.push_back(name);
    return true;
  }
  HWND CommandWindow() const override { return nullptr; }
  std::string listed;
  std::vector<std::string> made;
};

class NewFolderCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(Ini().c_str());
    services_.CreateAppFont();
    // Under 1252 the Japanese default has no characters; a user's String.ini gives one.
    if (GetACP() != 932) SetDefaultName("Café folder");
    base_ = GetDefaultFolderName();
  }
  void TearDown() override { DeleteFileA(Ini().c_str()); }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }
  static void SetDefaultName(const std::string& utf8) {
    WritePrivateProfileStringA("Main", StoredTextKey("DefaultFolderName").c_str(), win::Utf8ToAnsi(utf8).c_str(),
                               Ini().c_str());
  }
  // Runs the command and answers the dialog: the proposed name, then `typed` (empty: Cancel).
  std::string Run(const std::string& typed) {
    std::string proposed;
    EXPECT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(commands_, ID_FILE_NEWFOLDER)); },
                                        [&](HWND dlg) {
                                          HWND edit = GetDlgItem(dlg, IDC_FOLDER_NAME_EDIT);
                                          proposed = win::GetWindowTextString(edit);
                                          if (!typed.empty()) SetWindowTextA(edit, typed.c_str());
                                          SendMessageA(GetDlgItem(dlg, typed.empty() ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
                                        }));
    return proposed;
  }

  AppServices services_;
  RecordingHost host_;
  CFileCommands commands_{host_};
  std::string base_;
};

TEST_F(NewFolderCommandTest, ProposesTheFirstFreeNameAndTheTreeMakesTheAcceptedOne) {
  if (GetACP() == 932) {
    ASSERT_EQ(base_, win::Utf8ToAnsi("新しいフォルダ"));
  }
  test::TempFolder listed;
  host_.listed = listed.path();
  EXPECT_EQ(Run(base_), base_) << "the default name while it is free";
  ASSERT_TRUE(CreateDirectoryA(listed.File(base_).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(listed.File(base_ + "(1)").c_str(), nullptr));
  EXPECT_EQ(Run(base_ + "(2)"), base_ + "(2)") << "taken names are numbered";
  EXPECT_EQ(host_.made, (std::vector<std::string>{base_, base_ + "(2)"}));
  EXPECT_EQ(GetFileAttributesA(listed.File(base_ + "(2)").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the dialog itself makes nothing";

  Run("");
  EXPECT_EQ(host_.made.size(), 2u) << "Cancel makes nothing";

  host_.listed.clear();
  EXPECT_FALSE(win::QueryCommand(commands_, ID_FILE_NEWFOLDER).enabled()) << "no folder listed";
  EXPECT_FALSE(win::RunEnabledCommand(commands_, ID_FILE_NEWFOLDER));
}

}  // namespace
}  // namespace zv
