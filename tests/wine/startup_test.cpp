// The real ZViewer.exe started under Wine: kinds of copy, the single-copy
// rule, the settings written at a normal exit, String.ini, the splash.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/registry_profile.h"
#include "app/single_instance.h"
#include "core/app/envset.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::ProgramCopy;

// Time a copy gets to show its window: Wine start, one second of splash.
constexpr DWORD kStartTimeout = 15000;

HWND WaitForBrowser(const PROCESS_INFORMATION& p) {
  return test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, kBrowserCopyName); }, kStartTimeout);
}
HWND WaitForResident(const PROCESS_INFORMATION& p) {
  return test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, kResidentCopyName); }, kStartTimeout);
}

bool CloseNormally(HWND window, const PROCESS_INFORMATION& p) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return test::WaitForExit(p);
}

win::UniqueKey SettingsKey() { return win::OpenKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings"); }

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { test::DeleteProgramSettings(); }
  void TearDown() override { test::DeleteProgramSettings(); }
};

TEST_F(StartupTest, CommandLineChoosesTheKindOfCopy) {
  for (const char* arguments : {"i", "ifoo"}) {
    ProgramCopy program;
    PROCESS_INFORMATION p = program.Launch(arguments);
    HWND tray = WaitForResident(p);
    ASSERT_NE(tray, nullptr) << "'" << arguments << "' starts a resident copy";
    EXPECT_FALSE(IsWindowVisible(tray)) << "the tray frame is invisible";
    EXPECT_EQ(test::TopWindowOf(p.dwProcessId, kBrowserCopyName), nullptr);
    EXPECT_TRUE(CloseNormally(tray, p)) << "WM_CLOSE ends the resident copy";
  }
  for (const char* arguments : {"I", " i", "\"i", "/i", ""}) {
    ProgramCopy program;
    PROCESS_INFORMATION p = program.Launch(arguments);
    HWND frame = WaitForBrowser(p);
    ASSERT_NE(frame, nullptr) << "'" << arguments << "' starts a browser copy";
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_TRUE(CloseNormally(frame, p));
  }
}

TEST_F(StartupTest, SecondCopiesActivateTheFirstOrEndAtOnce) {
  ProgramCopy program;
  PROCESS_INFORMATION first = program.Launch("");
  HWND frame = WaitForBrowser(first);
  ASSERT_NE(frame, nullptr);
  ShowWindow(frame, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(frame));

  PROCESS_INFORMATION second = program.Launch("");
  ASSERT_TRUE(test::WaitForExit(second, kStartTimeout)) << "a second browser copy ends";
  EXPECT_FALSE(IsIconic(frame)) << "and restores the first";
  EXPECT_EQ(test::TopWindowOf(second.dwProcessId), nullptr);

  PROCESS_INFORMATION resident = program.Launch("i");
  ASSERT_NE(WaitForResident(resident), nullptr);
  PROCESS_INFORMATION secondResident = program.Launch("i");
  EXPECT_TRUE(test::WaitForExit(secondResident, kStartTimeout)) << "a second resident copy ends at once";
  EXPECT_EQ(WaitForSingleObject(resident.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first stays";

  EXPECT_TRUE(CloseNormally(frame, first));
  EXPECT_EQ(win::ReadDword(SettingsKey().get(), "m_tagEnvSet.dwdExcCnt").value_or(99), 1u)
      << "the copies that stopped at start-up did not save defaults over the first copy's settings";
}

TEST_F(StartupTest, NormalExitSavesEveryValueAndAKilledCopySavesNothing) {
  ProgramCopy program;
  PROCESS_INFORMATION run1 = program.Launch("");
  HWND frame = WaitForBrowser(run1);
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(CloseNormally(frame, run1));
  {
    win::UniqueKey key = win::OpenKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings", KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key);
    for (const std::string& name : EnvSetValueNames())
      EXPECT_TRUE(win::ReadDword(key.get(), name) || win::ReadString(key.get(), name)) << name;
    EXPECT_EQ(win::ReadDword(key.get(), "m_tagEnvSet.dwdExcCnt").value_or(0), 1u);
    EXPECT_EQ(win::ReadDword(key.get(), "m_tagEnvSet.intSotDir").value_or(0), 0xFFFFFFFFu);
    win::WriteString(key.get(), "m_tagEnvSet.chaSavFol", "C:\\kept");
    // Every save writes every value: while this one is missing, no copy has saved.
    ASSERT_TRUE(win::DeleteValue(key.get(), "m_tagEnvSet.intNamMod"));
  }
  PROCESS_INFORMATION run2 = program.Launch("");
  frame = WaitForBrowser(run2);
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(TerminateProcess(run2.hProcess, 1));
  ASSERT_TRUE(test::WaitForExit(run2)) << "the copy was killed";
  win::UniqueKey key = SettingsKey();
  EXPECT_FALSE(win::ReadDword(key.get(), "m_tagEnvSet.intNamMod").has_value())
      << "a killed copy saves nothing, neither at start nor while it runs";
  EXPECT_EQ(win::ReadDword(key.get(), "m_tagEnvSet.dwdExcCnt").value_or(0), 1u) << "nor at its end";
  EXPECT_EQ(win::ReadString(key.get(), "m_tagEnvSet.chaSavFol").value_or(""), "C:\\kept");

  auto settings = [] { return win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings"); };
  ASSERT_TRUE(win::WriteDword(settings().get(), "intTstTry", 0));
  PROCESS_INFORMATION run3 = program.Launch("");
  frame = WaitForBrowser(run3);
  ASSERT_NE(frame, nullptr);
  // As the setup dialog writes it when resident mode is switched on.
  ASSERT_TRUE(win::WriteDword(settings().get(), "intTstTry", 1));
  ASSERT_TRUE(CloseNormally(frame, run3));
  key = SettingsKey();
  EXPECT_EQ(win::ReadDword(key.get(), "m_tagEnvSet.dwdExcCnt").value_or(0), 2u);
  EXPECT_TRUE(win::ReadDword(key.get(), "m_tagEnvSet.intNamMod").has_value()) << "a normal exit saves the record";
  EXPECT_EQ(win::ReadDword(key.get(), "intTstTry").value_or(99), 1u)
      << "intTstTry written during the run survives the exit";
}

TEST_F(StartupTest, TrayStartWritesTheRunValueAndStartsAResidentCopy) {
  ProgramCopy program;
  win::WriteDword(win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings").get(), "intTstTry", 1);
  PROCESS_INFORMATION browser = program.Launch("");
  HWND frame = WaitForBrowser(browser);
  ASSERT_NE(frame, nullptr);
  HWND tray = test::WaitForWindow([] { return FindWindowWithProperty(kResidentCopyName); }, kStartTimeout);
  EXPECT_NE(tray, nullptr) << "a resident copy was started beside the browser";
  win::UniqueKey run = win::OpenKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(win::ReadString(run.get(), "ZViewer").value_or(""), "\"" + program.exe() + "\" i");
  if (tray != nullptr) PostMessageA(tray, WM_CLOSE, 0, 0);
  EXPECT_TRUE(CloseNormally(frame, browser));
  win::DeleteValue(win::OpenKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                KEY_SET_VALUE).get(), "ZViewer");
}

TEST_F(StartupTest, StringIniIsWrittenAndKeptOnlyWithTheRightVersion) {
  ProgramCopy program;
  const std::string ini = program.folder() + "\\String.ini";
  auto runOnce = [&] {
    PROCESS_INFORMATION p = program.Launch("");
    HWND frame = WaitForBrowser(p);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(CloseNormally(frame, p));
  };
  runOnce();
  std::string file = test::ReadFileBytes(ini);
  EXPECT_NE(file.find("DefaultFontSize_____=10"), std::string::npos) << file;
  if (GetACP() == 932) {
    EXPECT_NE(file.find("DefaultFontName_____=\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E"),
              std::string::npos)
        << "Shift-JIS bytes of the default";
  }
  for (const char* folder : {"Q7IF", "Q7CF", "Thumbs"})
    EXPECT_NE(GetFileAttributesA((program.folder() + "\\" + folder).c_str()), INVALID_FILE_ATTRIBUTES) << folder;

  test::WriteFileBytes(ini, "[Main]\r\nDefaultFontSize_____=12\r\n");
  runOnce();
  EXPECT_NE(test::ReadFileBytes(ini).find("DefaultFontSize_____=10"), std::string::npos)
      << "without a version entry the edit is lost";

  test::WriteFileBytes(ini, "[version]\r\nversion_____________=2.1.1.0\r\n[Main]\r\nDefaultFontSize_____=12\r\n");
  runOnce();
  EXPECT_NE(test::ReadFileBytes(ini).find("DefaultFontSize_____=12"), std::string::npos)
      << "with this version the edit is kept";
}

TEST_F(StartupTest, SplashIsCentredTopmostAndOnlyInABrowserCopy) {
  ProgramCopy program;
  PROCESS_INFORMATION p = program.Launch("");
  HWND splash =
      test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, nullptr, "#32770"); }, kStartTimeout);
  ASSERT_NE(splash, nullptr);
  RECT r{};
  GetWindowRect(splash, &r);
  EXPECT_EQ(r.right - r.left, 400) << "as wide as the start picture";
  EXPECT_EQ(r.bottom - r.top, 240);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 240) / 2);
  EXPECT_TRUE(GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND frame = WaitForBrowser(p);
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(IsWindow(splash)) << "destroyed once the main window is up";
  EXPECT_TRUE(CloseNormally(frame, p));

  PROCESS_INFORMATION resident = program.Launch("i");
  HWND tray = WaitForResident(resident);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(test::TopWindowOf(resident.dwProcessId, nullptr, "#32770"), nullptr) << "no splash in a resident copy";
  EXPECT_TRUE(CloseNormally(tray, resident));
}

// The first start opens the setup dialog over the frame; once the program
// has ended normally, it is not shown again.
TEST_F(StartupTest, OnlyTheFirstStartShowsTheSetupDialog) {
  ProgramCopy program;
  PROCESS_INFORMATION first = program.Launch("");
  HWND frame = WaitForBrowser(first);
  ASSERT_NE(frame, nullptr);
  HWND setup = test::WaitForWindow([&] { return test::TopWindowOf(first.dwProcessId, nullptr, "#32770"); });
  ASSERT_NE(setup, nullptr) << "the setup dialog of a first start";
  EXPECT_EQ(GetWindow(setup, GW_OWNER), frame) << "over the frame";
  EXPECT_NE(GetDlgItem(setup, 1104), nullptr) << "it is the setup dialog (its date list)";
  PostMessageA(setup, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(test::WaitForWindow([&] { return IsWindow(setup) ? nullptr : frame; }, 5000)) << "OK closes it";
  ASSERT_TRUE(CloseNormally(frame, first));

  PROCESS_INFORMATION second = program.Launch("");
  frame = WaitForBrowser(second);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(test::WaitForWindow([&] { return test::TopWindowOf(second.dwProcessId, nullptr, "#32770"); }, 3000),
            nullptr)
      << "not after a normal exit";
  ASSERT_TRUE(CloseNormally(frame, second));
}

// Saves that a killed process cut off before their rename leave
// "~zvtmp.*" files (and earlier versions "*.bin.tmp" in Thumbs): a browser
// copy deletes them in Thumbs and in the scan folder before its window
// shows. Files of the user with similar names stay.
TEST_F(StartupTest, AStartDeletesLeftoverTemporariesAndKeepsFilesOfSimilarNames) {
  ProgramCopy program;
  test::TempFolder scans;
  const std::string thumbs = program.folder() + "\\Thumbs";
  ASSERT_TRUE(CreateDirectoryA(thumbs.c_str(), nullptr));
  const std::vector<std::string> leftoversInThumbs = {"~zvtmp.00000001.bin", "~zvtmp.ZVThumb.lst", "0000000a.bin.tmp",
                                                      "ZVThumb.lst.tmp"};
  const std::vector<std::string> leftoversInScans = {"~zvtmp.0001.png", "~ZVTMP.scan.bmp"};
  const std::vector<std::string> keptInThumbs = {"notes.tmp", "zvtmp.txt", "0000000g.bin.tmp", "~zvtmp"};
  const std::vector<std::string> keptInScans = {"a~zvtmp.png", "zvtmp.0002.png", "00000001.bin.tmp", "~zvtmp"};
  for (const std::string& name : leftoversInThumbs) test::WriteFileBytes(thumbs + "\\" + name, "cut off");
  for (const std::string& name : keptInThumbs) test::WriteFileBytes(thumbs + "\\" + name, "user's " + name);
  for (const std::string& name : leftoversInScans) test::WriteFileBytes(scans.File(name), "cut off");
  for (const std::string& name : keptInScans) test::WriteFileBytes(scans.File(name), "user's " + name);
  {
    win::UniqueKey settings = win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
    ASSERT_TRUE(win::WriteString(settings.get(), "m_tagEnvSet.chaSavFol", scans.path()));
    ASSERT_TRUE(win::WriteDword(settings.get(), "m_tagEnvSet.dwdExcCnt", 1));  // no first-run dialog
  }

  PROCESS_INFORMATION p = program.Launch("");
  HWND frame = test::WaitForWindow([&] { return test::TopWindowOf(p.dwProcessId, kBrowserCopyName); }, 60000);
  ASSERT_NE(frame, nullptr);
  for (const std::string& name : leftoversInThumbs)
    EXPECT_EQ(GetFileAttributesA((thumbs + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name << " deleted";
  for (const std::string& name : leftoversInScans)
    EXPECT_EQ(GetFileAttributesA(scans.File(name).c_str()), INVALID_FILE_ATTRIBUTES) << name << " deleted";
  for (const std::string& name : keptInThumbs)
    EXPECT_EQ(test::ReadFileBytes(thumbs + "\\" + name), "user's " + name) << name << " kept";
  for (const std::string& name : keptInScans)
    EXPECT_EQ(test::ReadFileBytes(scans.File(name)), "user's " + name) << name << " kept";
  EXPECT_TRUE(CloseNormally(frame, p));
}

}  // namespace
}  // namespace zv
