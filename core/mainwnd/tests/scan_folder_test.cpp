#include "core/mainwnd/scan_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace zv {
namespace {

struct Shell {
  std::set<std::string> writable;
  std::optional<std::string> documents = "C:\\Users\\u\\Documents";
  std::optional<std::string> desktop = "C:\\Users\\u\\Desktop";
  std::vector<std::string> probed;
  ScanFolderProbes Probes() {
    return {[this](const std::string& f) {
              probed.push_back(f);
              return writable.count(f) > 0;
            },
            [this] { return documents; }, [this] { return desktop; }, "C:\\ZV"};
  }
};

TEST(ScanFolder, FallsBackFromSaveFolderToDocumentsDesktopProgramFolder) {
  Shell shell;
  shell.writable = {"D:\\Scans"};
  EXPECT_EQ(ChooseScanFolder("D:\\Scans", shell.Probes()), "D:\\Scans");
  EXPECT_EQ(ChooseScanFolder("D:\\Gone", shell.Probes()), "C:\\Users\\u\\Documents");
  shell.documents.reset();
  EXPECT_EQ(ChooseScanFolder("D:\\Gone", shell.Probes()), "C:\\Users\\u\\Desktop");
  shell.desktop.reset();
  EXPECT_EQ(ChooseScanFolder("D:\\Gone", shell.Probes()), "C:\\ZV");
  // Only the saved folder is probed: the fallbacks are taken as the shell gives them.
  for (const std::string& f : shell.probed) EXPECT_TRUE(f == "D:\\Scans" || f == "D:\\Gone") << f;
}

TEST(ScanFolder, CommandsNeedTwainAndNoRunningScan) {
  EXPECT_TRUE(ScannerCommandsEnabled(true, false));
  EXPECT_FALSE(ScannerCommandsEnabled(true, true));
  EXPECT_FALSE(ScannerCommandsEnabled(false, false));
}

}  // namespace
}  // namespace zv
