// The application shell in-process under Wine: the UI text table on the real
// INI functions, the settings record on the real registry, the auto-start
// entry, the application font, the file probes, the input checker and the
// tray frame's end.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <memory>

#include "app/app_paths.h"
#include "app/auto_start.h"
#include "app/registry_profile.h"
#include "app/tray_frame.h"
#include "app/ui_text_table.h"
#include "app/app_services.h"
#include "core/app/envset.h"
#include "fileops/file_checks.h"
#include "dialogs/input_checker.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using test::TempFolder;

bool IsCodePage932() { return GetACP() == 932; }

// "ＭＳ ゴシック" as Shift-JIS bytes.
const char kMsGothicSjis[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

TEST(UiTextTable, MissingFileGivesDefaultsAndWritesPaddedKeys) {
  TempFolder folder;
  CUiTextTable texts(folder.File("String.ini"));
  std::string face = texts.GetText("Main", "DefaultFontName", "ＭＳ ゴシック");
  if (IsCodePage932()) {
    EXPECT_EQ(face, kMsGothicSjis) << "the default arrives in the ANSI code page";
  }
  EXPECT_EQ(texts.GetText("TrayMenu", "TaskTrayExit", "終了"), win::Utf8ToAnsi("終了"));

  std::string file = test::ReadFileBytes(folder.File("String.ini"));
  EXPECT_NE(file.find("[Main]"), std::string::npos);
  EXPECT_NE(file.find("TaskTrayExit________="), std::string::npos) << file;
  if (IsCodePage932()) {
    EXPECT_NE(file.find(std::string("DefaultFontName_____=") + kMsGothicSjis), std::string::npos)
        << "String.ini holds the Shift-JIS bytes";
  }
}

TEST(UiTextTable, StoredValuesEmptyValuesLongValuesAndLongKeys) {
  TempFolder folder;
  const std::string ini = folder.File("String.ini");
  std::string longValue(2000, 'x');
  test::WriteFileBytes(ini, "[S]\r\nEdited______________=changed\r\nEmpty_______________=\r\n"
                            "Long________________=" + longValue + "\r\n");
  CUiTextTable texts(ini);
  EXPECT_EQ(texts.GetText("S", "Edited", "default"), "changed");
  EXPECT_EQ(texts.GetText("S", "Empty", "default"), "") << "an empty value is not replaced by the default";
  std::string cut = texts.GetText("S", "Long", "default");
  EXPECT_EQ(cut, std::string(1023, 'x')) << "a value is cut to 1023 characters";
  EXPECT_EQ(texts.GetText("S", "ABCDEFGHIJKLMNOPQRSTone", "first"), "first");
  EXPECT_EQ(texts.GetText("S", "ABCDEFGHIJKLMNOPQRSTtwo", "second"), "first")
      << "keys sharing their first 20 characters are one entry";
  EXPECT_EQ(CUiTextTable(ini).GetText("S", "Long", "default"), cut) << "the cut value was written back";
}

TEST(UiTextTable, CheckVersionKeepsOnlyAFileOfThisVersion) {
  TempFolder folder;
  const std::string ini = folder.File("String.ini");
  test::WriteFileBytes(ini, "[version]\r\nversion_____________=2.1.1.0\r\n[TrayMenu]\r\nTaskTrayExit________=Bye\r\n");
  CheckVersion(ini, "2.1.1.0");
  EXPECT_EQ(CUiTextTable(ini).GetText("TrayMenu", "TaskTrayExit", "終了"), "Bye");
  CheckVersion(ini, "2.1.1.1");
  EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "another version: file deleted";

  test::WriteFileBytes(ini, "[TrayMenu]\r\nTaskTrayExit________=Bye\r\n");
  CheckVersion(ini, "2.1.1.0");
  EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "no version entry: file deleted";
  EXPECT_EQ(CUiTextTable(ini).GetText("TrayMenu", "TaskTrayExit", "終了"), win::Utf8ToAnsi("終了"));
}

DWORD ValueType(HKEY key, const std::string& name) {
  DWORD type = REG_NONE;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) return REG_NONE;
  return type;
}

TEST(SettingsRecord, DefaultsWithoutKeyAndEveryValueSavedWithItsType) {
  test::DeleteProgramSettings();
  EnvSet settings;
  settings.intSotDir = 5;
  LoadEnvSet(settings);
  char documents[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, FALSE);
  EXPECT_STREQ(settings.chaSavFol, documents);
  EXPECT_EQ(settings.intSotDir, -1);
  EXPECT_EQ(settings.intSysDte, 1);
  EXPECT_STREQ(settings.chaDteFmt, "%Y%m%d_%H%M%S");

  SaveEnvSet(settings);
  win::UniqueKey key = win::OpenKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
  ASSERT_TRUE(key);
  for (const std::string& name : EnvSetValueNames()) {
    DWORD expected = name.find(".cha") != std::string::npos ? REG_SZ : REG_DWORD;
    EXPECT_EQ(ValueType(key.get(), name), expected) << name;
  }
  EXPECT_EQ(win::ReadDword(key.get(), "m_tagEnvSet.intSotDir").value_or(0), 0xFFFFFFFFu);
  test::DeleteProgramSettings();
}

TEST(SettingsRecord, BadRegistryDataReadsSafely) {
  test::DeleteProgramSettings();
  {
    win::UniqueKey key = win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
    ASSERT_TRUE(key);
    std::string huge(5000, 'Z');
    win::WriteString(key.get(), "m_tagEnvSet.chaExtNam", huge);
    // A string value stored without its terminator, and a number stored as text.
    RegSetValueExA(key.get(), "m_tagEnvSet.chaNumFmt", 0, REG_SZ, reinterpret_cast<const BYTE*>("(00"), 3);
    win::WriteString(key.get(), "m_tagEnvSet.intThmSiz", "2");
    DWORD small = 7;
    RegSetValueExA(key.get(), "m_tagEnvSet.dwdLstMod", 0, REG_BINARY, reinterpret_cast<BYTE*>(&small), 1);
  }
  EnvSet settings;
  LoadEnvSet(settings);
  EXPECT_EQ(std::string(settings.chaExtNam), std::string(15, 'Z'));
  EXPECT_STREQ(settings.chaNumFmt, "(00");
  EXPECT_EQ(settings.intThmSiz, 0) << "a value of the wrong type reads as missing";
  EXPECT_EQ(settings.dwdLstMod, 0);
  test::DeleteProgramSettings();
}

TEST(SettingsRecord, TrayStartIsWrittenAtOnce) {
  test::DeleteProgramSettings();
  EXPECT_EQ(GetTrayStart(), 0);
  SetTrayStart(1);
  win::UniqueKey key = win::OpenKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\AppSettings");
  EXPECT_EQ(win::ReadDword(key.get(), "intTstTry").value_or(0), 1u);
  EXPECT_EQ(GetTrayStart(), 1);
  test::DeleteProgramSettings();
}

std::optional<std::string> RunValue(RunKeyLocation where, const std::string& name) {
  win::UniqueKey key = win::OpenKey(where.root, where.path);
  return win::ReadString(key.get(), name);
}

TEST(AutoStart, WritesAndRemovesTheRunValue) {
  const std::string program = "C:\\Program Files\\ZAMO\\ZVTestViewer.exe";
  SetAutoStart(1, program);
  EXPECT_EQ(RunValue(kMachineRunKey, "ZVTestViewer").value_or(""), "\"" + program + "\" i");
  SetAutoStart(0, program);
  EXPECT_FALSE(RunValue(kMachineRunKey, "ZVTestViewer"));
}

TEST(AutoStart, FallsBackToThePerUserKeyAndSwitchingOffClearsBoth) {
  const std::string program = "C:\\ZAMO\\ZVTestViewer.exe";
  // A machine key that cannot be opened, as for a standard user.
  const RunKeyLocation unwritable{HKEY_LOCAL_MACHINE, "Software\\ZVTest\\NoSuchKey\\Run"};
  const RunKeyLocation user{HKEY_CURRENT_USER, "Software\\ZVTest\\Run"};
  SetAutoStart(1, program, unwritable, user);
  EXPECT_EQ(RunValue(user, "ZVTestViewer").value_or(""), "\"" + program + "\" i");
  SetAutoStart(7, program, unwritable, user);
  EXPECT_FALSE(RunValue(user, "ZVTestViewer")) << "any value but 1 switches off";

  win::UniqueKey machine = win::CreateKey(HKEY_CURRENT_USER, "Software\\ZVTest\\MachineRun");
  const RunKeyLocation writable{HKEY_CURRENT_USER, "Software\\ZVTest\\MachineRun"};
  SetAutoStart(1, program, writable, user);
  EXPECT_TRUE(RunValue(writable, "ZVTestViewer"));
  EXPECT_FALSE(RunValue(user, "ZVTestViewer")) << "the per-user key only when the other fails";
  win::WriteString(win::CreateKey(user.root, user.path).get(), "ZVTestViewer", "stale");
  SetAutoStart(0, program, writable, user);
  EXPECT_FALSE(RunValue(writable, "ZVTestViewer"));
  EXPECT_FALSE(RunValue(user, "ZVTestViewer"));
  win::DeleteTree(HKEY_CURRENT_USER, "Software\\ZVTest");
}

TEST(ApplicationFont, PointSizeInTenths) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  win::UniqueFont font(CreatePointFont(120, "Tahoma"));
  ASSERT_TRUE(font);
  LOGFONTA info{};
  GetObjectA(font.get(), sizeof info, &info);
  EXPECT_EQ(info.lfHeight, -(dpi * 120 / 720));
  EXPECT_STREQ(info.lfFaceName, "Tahoma");
  win::UniqueFont odd(CreatePointFont(2000000000, std::string(100, 'F')));
  EXPECT_TRUE(odd) << "an odd size or face still gives a font";
}

TEST(FileProbes, ExistsSizeTimeAndWritable) {
  TempFolder folder;
  const std::string file = folder.File("a.png");
  test::WriteFileBytes(file, "12345");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(folder.File("missing.png")));
  EXPECT_FALSE(FileExists(folder.path())) << "a folder is not a file";
  FileSizeAndTime info;
  ASSERT_TRUE(GetFileSizeAndTime(file, info));
  EXPECT_EQ(info.sizeLow, 5u);
  EXPECT_EQ(info.sizeHigh, 0u);
  EXPECT_NE(info.lastWrite.dwHighDateTime, 0u);
  {
    win::UniqueFile held(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(FileExists(file)) << "a file held open without sharing counts as absent";
  }
  EXPECT_TRUE(IsFolderWritable(folder.path()));
  EXPECT_FALSE(FileExists(folder.File("___zv_temp___"))) << "the probe file is deleted";
  EXPECT_FALSE(IsFolderWritable(folder.File("missing")));

  std::string readOnly = test::EnvironmentValue("ZV_READONLY_DIR");
  if (readOnly.empty()) GTEST_SKIP() << "no read-only folder offered (ZV_READONLY_DIR)";
  EXPECT_FALSE(IsFolderWritable(readOnly));
  EXPECT_EQ(GetFileAttributesA((readOnly + "\\___zv_temp___").c_str()), INVALID_FILE_ATTRIBUTES);
}

// An edit control in a plain window, as a dialog would hold it.
class EditField {
 public:
  EditField() {
    parent_ = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                              nullptr, nullptr, nullptr);
    edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, parent_, nullptr, nullptr, nullptr);
    other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 30, 200, 20, parent_, nullptr, nullptr, nullptr);
  }
  ~EditField() { DestroyWindow(parent_); }
  HWND Set(const std::string& text) {
    SetWindowTextA(edit_, text.c_str());
    SetFocus(other_);
    return edit_;
  }
  HWND edit() const { return edit_; }

 private:
  HWND parent_, edit_, other_;
};

std::string Sjis(const char* utf8) { return win::Utf8ToAnsi(utf8); }

TEST(InputChecker, NumbersWithTheirMessagesAndFocus) {
  DeleteFileA((ProgramFolder() + "\\String.ini").c_str());
  EditField field;
  test::MessageBoxWatcher boxes;
  CInputChecker checker;
  const std::string label = Sjis("年");
  EXPECT_TRUE(checker.CheckNumber(field.Set("65535"), label, 0, 0, 0));
  EXPECT_TRUE(checker.CheckNumber(field.Set("000065535"), label, 0, 0, 0));
  EXPECT_TRUE(checker.CheckNumber(field.Set(" 12 "), label, 3, 1, 12));
  EXPECT_EQ(CInputChecker::NumberValue(" 12 "), 12);
  EXPECT_TRUE(boxes.Texts().empty());

  for (const char* tooBig : {"65536", "70000", "123456"}) {
    EXPECT_FALSE(checker.CheckNumber(field.Set(tooBig), label, 0, 0, 0)) << tooBig;
    EXPECT_EQ(GetFocus(), field.edit()) << "the focus goes back to the field";
  }
  EXPECT_FALSE(checker.CheckNumber(field.Set("1 2"), label, 0, 0, 0));
  EXPECT_FALSE(checker.CheckNumber(field.Set("13"), label, 3, 1, 12));
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0], label + Sjis("は、0以上65535以下を入力して下さい。"));
  EXPECT_EQ(texts[3], label + Sjis("を正しく入力して下さい。"));
  EXPECT_EQ(texts[4], label + Sjis("は、1以上、12以下を入力して下さい。"));
}

TEST(InputChecker, NamesWithTheirMessages) {
  DeleteFileA((ProgramFolder() + "\\String.ini").c_str());
  TempFolder folder;
  test::WriteFileBytes(folder.File("taken.png"), "x");
  EditField field;
  test::MessageBoxWatcher boxes;
  CInputChecker checker;
  const std::string label = Sjis("ファイル名");
  EXPECT_TRUE(checker.CheckName(field.Set("new.png"), label, folder.path()));
  EXPECT_FALSE(checker.CheckName(field.Set("a;b.png"), label, folder.path()));
  EXPECT_FALSE(checker.CheckName(field.Set(""), label, folder.path()));
  EXPECT_FALSE(checker.CheckName(field.Set("taken.png"), label, folder.path()));
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], label + Sjis("には次の文字は使用できません。") + "\n\\/:;,*?<>|\"");
  EXPECT_EQ(texts[1], label + Sjis("を入力して下さい。"));
  EXPECT_EQ(texts[2], Sjis("同じ名前のファイルかフォルダが存在します。"));
}

TEST(InputChecker, EditedMessagesWithStrayConversionsAreShownLiterally) {
  const std::string ini = ProgramFolder() + "\\String.ini";
  test::WriteFileBytes(ini, "[InputChecek]\r\nNumericCheck0001____=%s%s%n%x\r\nNumericCheck0004____=%d%s%d\r\n");
  EditField field;
  test::MessageBoxWatcher boxes;
  CInputChecker checker;
  EXPECT_FALSE(checker.CheckNumber(field.Set(""), "Year", 0, 0, 0));
  EXPECT_FALSE(checker.CheckNumber(field.Set("3"), "Year", 1, 10, 20));
  std::vector<std::string> texts = boxes.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Year%s%n%x");
  EXPECT_EQ(texts[1], "%dYear10") << "conversions are filled in their expected order only";
  DeleteFileA(ini.c_str());
}

// A tray frame whose object goes while its window is alive (the resident
// copy's end) still runs its own destruction: the icon and the timer go, and
// the message loop is told to end.
TEST(TrayFrame, DestroyingTheObjectRunsItsOwnDestruction) {
  MSG stale;
  while (PeekMessageA(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  auto tray = std::make_unique<CTrayFrame>();
  ASSERT_TRUE(tray->CreateInvisible());
  HWND window = tray->hwnd();
  tray.reset();
  EXPECT_FALSE(IsWindow(window));
  MSG quit{};
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "its WM_DESTROY handling ran";
  DeleteFileA((ProgramFolder() + "\\String.ini").c_str());
}

}  // namespace
}  // namespace zv
