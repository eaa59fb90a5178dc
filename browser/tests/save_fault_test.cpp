// Faults in the middle of saving, and the line each failure leaves for a
// support engineer. The saves run in save_fault_child.exe, which the test
// stops (ZV_HOLD_BEFORE_COMMIT) once a complete temporary is about to take
// its name, and ends there with TerminateProcess.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>
#include <string>
#include <vector>

#include "app/ui_text_table.h"
#include "browser/file_list_model.h"
#include "browser/thumb_cache_store.h"
#include "core/app/text_keys.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "imagelib/thumbnail.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/file_replace.h"
#include "win/folder_listing.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/text_convert.h"
#include "win/window.h"

namespace zv {
namespace {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

constexpr ThumbBox kBox{120, 80};

std::string ChildPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string child(path);
  return child.substr(0, child.find_last_of('\\') + 1) + "save_fault_child.exe";
}

struct ChildResult {
  bool held = false;   // it stopped before the rename and was ended there
  DWORD exitCode = 0;  // when it ran to its end
};

// Runs the child with `arguments`; with `holdName` it is ended as soon as a
// temporary is about to take that name.
ChildResult RunChild(const std::string& arguments, const std::string& holdName = {}) {
  const std::string event = "zv_save_fault_" + std::to_string(GetCurrentProcessId());
  win::UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
  SetEnvironmentVariableA("ZV_HOLD_BEFORE_COMMIT", holdName.empty() ? nullptr : (event + "|" + holdName).c_str());
  std::string command = "\"";
  command.append(ChildPath()).append("\" ").append(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ChildResult result;
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableA("ZV_HOLD_BEFORE_COMMIT", nullptr);
  EXPECT_TRUE(started) << command;
  if (!started) return result;
  const HANDLE both[] = {ready.get(), process.hProcess};
  const DWORD woke = WaitForMultipleObjects(2, both, FALSE, 120000);
  if (woke == WAIT_OBJECT_0) {
    result.held = TerminateProcess(process.hProcess, 9) != FALSE;
    WaitForSingleObject(process.hProcess, 120000);
  } else {
    EXPECT_EQ(woke, WAIT_OBJECT_0 + 1) << "the child neither stopped nor ended: " << command;
    GetExitCodeProcess(process.hProcess, &result.exitCode);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : win::ListedFileNames(folder))
    if (win::IsTemporaryName(name)) found.push_back(name);
  std::sort(found.begin(), found.end());
  return found;
}

// The file names of a folder, each with the size and a hash of its bytes.
std::vector<std::pair<std::string, std::string>> Contents(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> contents;
  for (const std::string& name : win::ListedFileNames(folder)) {
    const std::string bytes = ReadFileBytes(folder + "\\" + name);
    contents.emplace_back(name, std::to_string(bytes.size()) + " bytes, hash " +
                                    std::to_string(std::hash<std::string>{}(bytes)));
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

// The thumbnails of `listed` read back whole, with the seed their save gave them.
uint32_t CachedSeed(const std::string& thumbs, const std::string& listed) {
  ThumbCacheStore store(thumbs, win::IsAnsiLeadByte);
  ThumbCacheFile file = store.LoadIfIndexed(listed, kBox);
  if (!file.IsUsable() || file.contents().entries.size() != 8) return 0;
  return file.contents().entries.front().key.lastWrite.high;
}

// The cache file and the index, each killed before its rename: the old file
// stays whole, and the start-up pass deletes the temporary, the temporaries
// of earlier versions too, and nothing else.
TEST(SaveFaults, ThumbnailCacheAndIndexKilledBeforeTheirRename) {
  TempFolder temp;
  const std::string thumbs = temp.File("Thumbs"), listed = temp.File("pictures");
  ASSERT_TRUE(CreateDirectoryA(listed.c_str(), nullptr));
  const std::string cacheArgs = "cache \"" + thumbs + "\" \"" + listed + "\" ";
  ASSERT_EQ(RunChild(cacheArgs + "1").exitCode, 0u);
  ASSERT_EQ(CachedSeed(thumbs, listed), 1u);
  const std::string oldCache = ReadFileBytes(thumbs + "\\00000000.bin");
  const std::string oldIndex = ReadFileBytes(thumbs + "\\ZVThumb.lst");

  std::vector<std::string> leftovers;
  for (const char* held : {"00000000.bin", "ZVThumb.lst"}) {
    SCOPED_TRACE(held);
    leftovers.push_back(std::string("~zvtmp.") + held);
    ASSERT_TRUE(RunChild(cacheArgs + "2", held).held) << "the save never reached its rename";
    EXPECT_EQ(ReadFileBytes(thumbs + "\\00000000.bin"), oldCache);
    EXPECT_EQ(ReadFileBytes(thumbs + "\\ZVThumb.lst"), oldIndex);
    EXPECT_EQ(Temporaries(thumbs), leftovers);
  }
  // Leftovers of earlier versions, and files the pass must not touch.
  WriteFileBytes(thumbs + "\\00000007.bin.tmp", "cut");
  WriteFileBytes(thumbs + "\\ZVThumb.lst.tmp", "cut");
  WriteFileBytes(thumbs + "\\notes.tmp", "a user's");
  WriteFileBytes(thumbs + "\\zvtmp.txt", "a user's");
  ThumbCacheStore(thumbs, win::IsAnsiLeadByte).PruneIndex();
  EXPECT_EQ(Temporaries(thumbs), std::vector<std::string>{});
  EXPECT_EQ(GetFileAttributesA((thumbs + "\\00000007.bin.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((thumbs + "\\ZVThumb.lst.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(thumbs + "\\notes.tmp"), "a user's");
  EXPECT_EQ(ReadFileBytes(thumbs + "\\zvtmp.txt"), "a user's");
  EXPECT_EQ(CachedSeed(thumbs, listed), 1u) << "the old thumbnails are used";

  ASSERT_EQ(RunChild(cacheArgs + "2").exitCode, 0u);
  EXPECT_EQ(CachedSeed(thumbs, listed), 2u) << "a save after the fault replaces the file";
}

// A scan (converted to PNG, and kept as BMP) and a converted picture, each
// killed before its file takes its name: no name holds a cut file, the
// picture that held the target's name is unchanged, and the listing's pass
// deletes the temporary.
TEST(SaveFaults, ScanAndConvertedPictureKilledBeforeTheirRename) {
  win::OleSession ole;
  ASSERT_TRUE(ole.ok());
  ASSERT_TRUE(imagelib::Bind());
  TempFolder temp;
  const std::string folder = temp.File("scans");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  test::WriteGreyBmp(folder + "\\source.bmp", 40, 30);
  ASSERT_EQ(RunChild("convert \"" + folder + "\\source.bmp\" \"" + folder + "\\target.png\"").exitCode, 0u);
  const auto before = Contents(folder);

  struct Case {
    std::string arguments, held;
  };
  const Case cases[] = {
      {"scan \"" + folder + "\" PNG", "Image(001).PNG"},
      {"scan \"" + folder + "\" BMP", "Image(001).BMP"},
      {"convert \"" + folder + "\\source.bmp\" \"" + folder + "\\target.png\"", "target.png"},
  };
  EnvSet settings{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    ASSERT_TRUE(RunChild(c.arguments, c.held).held) << "the save never reached its rename";
    EXPECT_FALSE(Temporaries(folder).empty());
    FileListModel listing(settings);
    listing.OpenFolder(folder.c_str(), 0, 0);  // the listing deletes them and does not list them
    EXPECT_EQ(Contents(folder), before) << "a name holds a new or a cut file";
    EXPECT_EQ(listing.items().size(), 2u);
  }
  // Unhindered, each save completes.
  ASSERT_EQ(RunChild(cases[0].arguments).exitCode, 0u);
  EXPECT_TRUE(imagelib::ReadPictureInfo(imagelib::LoadPicture((folder + "\\Image(001).PNG").c_str(), 0)).has_value());
  EXPECT_EQ(Temporaries(folder), std::vector<std::string>{});
}

// The Linux path of a Windows path (Wine's own export), for chattr.
std::string LinuxPathOf(const std::string& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (found == nullptr) return {};
  char* linux = reinterpret_cast<Convert>(reinterpret_cast<void*>(found))(win::ToWide(path, CP_ACP).c_str());
  const std::string result = linux != nullptr ? linux : "";
  HeapFree(GetProcessHeap(), 0, linux);
  return result;
}

// Folders and files made immutable for the scope: running as root ignores
// permission bits, not this.
class Immutable {
 public:
  explicit Immutable(std::vector<std::string> paths) : paths_(std::move(paths)) {
    for (const std::string& path : paths_) made_ = made_ && test::RunLinuxCommand("chattr +i '" + LinuxPathOf(path) + "'");
  }
  ~Immutable() {
    for (const std::string& path : paths_) test::RunLinuxCommand("chattr -i '" + LinuxPathOf(path) + "'");
  }
  bool made() const { return made_; }

 private:
  std::vector<std::string> paths_;
  bool made_ = true;
};

// Debug strings of this process, caught as the debugger would see them.
class DebugStrings {
 public:
  DebugStrings() { handler_ = AddVectoredExceptionHandler(1, &DebugStrings::Catch); }
  ~DebugStrings() { RemoveVectoredExceptionHandler(handler_); }
  static std::string Take() { return std::exchange(lines_, {}); }

 private:
  static LONG CALLBACK Catch(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode != DBG_PRINTEXCEPTION_C || record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    lines_.append(reinterpret_cast<const char*>(record.ExceptionInformation[1]),
                  static_cast<size_t>(record.ExceptionInformation[0]));
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  static inline std::string lines_;
  PVOID handler_ = nullptr;
};

class ThrowingWindow : public win::Window {
 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) throw std::runtime_error("handler failed on purpose");
    return Window::OnMessage(message, wParam, lParam);
  }
};

bool Has(const std::string& lines, const std::string& part) { return lines.find(part) != std::string::npos; }

// Failures the user sees and exceptions a window swallows each write one
// line: what, which file, the Win32 error or HRESULT.
TEST(Diagnostics, FailuresWriteOneLineToTheDebugger) {
  DebugStrings strings;
  TempFolder temp;

  // A save whose temporary cannot be made (a folder holds its name).
  const std::string thumbs = temp.File("Thumbs");
  ASSERT_TRUE(CreateDirectoryA(thumbs.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((thumbs + "\\~zvtmp.ZVThumb.lst").c_str(), nullptr));
  ThumbCacheStore(thumbs, win::IsAnsiLeadByte).PutFirst(temp.path());
  std::string lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "save failed, no temporary file: " + thumbs + "\\~zvtmp.ZVThumb.lst: Win32 error ")) << lines;

  // A picture that does not decode.
  win::OleSession ole;
  ASSERT_TRUE(imagelib::Bind());
  const std::string damaged = temp.File("damaged.png");
  WriteFileBytes(damaged, std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\x7f'));
  EXPECT_FALSE(imagelib::DecodeScaled(damaged.c_str(), 0, [](int32_t w, int32_t h) { return PixelSize{w, h}; }));
  lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "picture not decoded: ") && Has(lines, damaged)) << lines;

  // A setting of the wrong type reads as its default, and says so.
  const std::string keyPath = "Software\\ZViewerTests\\Diagnostics";
  {
    win::UniqueKey key = win::CreateKey(HKEY_CURRENT_USER, keyPath);
    ASSERT_TRUE(win::WriteString(key.get(), "intThmSiz", "2"));
    EXPECT_FALSE(win::ReadDword(key.get(), "intThmSiz").has_value());
  }
  win::DeleteTree(HKEY_CURRENT_USER, "Software\\ZViewerTests");
  lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "registry value of the wrong type or size, its default is used: intThmSiz")) << lines;

  // An exception a window procedure swallows.
  ASSERT_TRUE(win::Window::RegisterClass("ZvThrowingWindow"));
  ThrowingWindow window;
  ASSERT_TRUE(window.Create({.className = "ZvThrowingWindow", .style = WS_POPUP}));
  SendMessageA(window.hwnd(), WM_APP, 0, 0);
  lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "exception swallowed in a window procedure: handler failed on purpose\n")) << lines;
}

// Thumbs, String.ini and the save folder immutable: the old thumbnails are
// still shown, texts fall back to their defaults, a scan is refused, and
// nothing there changes; each refusal writes its line.
TEST(SaveFaults, ImmutableThumbsTextsAndSaveFolderLoseNothing) {
  TempFolder temp;
  const std::string thumbs = temp.File("Thumbs"), listed = temp.File("pictures"), scans = temp.File("scans"),
                    ini = temp.File("String.ini");
  ASSERT_TRUE(CreateDirectoryA(listed.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(scans.c_str(), nullptr));
  ASSERT_EQ(RunChild("cache \"" + thumbs + "\" \"" + listed + "\" 1").exitCode, 0u);
  WriteFileBytes(ini, "[Main]\r\n" + StoredTextKey("Known") + "=kept\r\n");
  WriteFileBytes(scans + "\\Image(001).PNG", "an earlier scan");
  const auto thumbsBefore = Contents(thumbs), scansBefore = Contents(scans);
  Immutable immutable({thumbs, ini, scans});
  if (!immutable.made()) GTEST_SKIP() << "chattr +i is not available on this file system";

  DebugStrings strings;
  EXPECT_EQ(CachedSeed(thumbs, listed), 1u) << "the old thumbnails are used";
  ThumbCacheStore store(thumbs, win::IsAnsiLeadByte);
  ThumbCacheFile loaded = store.Load(listed, kBox);
  EXPECT_TRUE(loaded.IsUsable()) << "the index cannot be rewritten, its name is still used";
  loaded.Close();
  EXPECT_FALSE(store.Save(listed, kBox, 0, [](size_t, ThumbKey*, PixelImage*) { return false; }));
  EXPECT_EQ(Contents(thumbs), thumbsBefore);
  std::string lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, thumbs + "\\~zvtmp.ZVThumb.lst: Win32 error ")) << lines;

  CUiTextTable texts(ini);
  EXPECT_EQ(texts.GetText("Main", "Known", "x"), "kept");
  EXPECT_EQ(texts.GetText("Main", "Missing", "default"), "default");
  EXPECT_EQ(ReadFileBytes(ini), "[Main]\r\n" + StoredTextKey("Known") + "=kept\r\n");
  lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "text not written back to the text table, [Main] ") && Has(lines, ini)) << lines;

  EXPECT_EQ(RunChild("scan \"" + scans + "\" PNG").exitCode, 1u) << "the scan is refused";
  EXPECT_EQ(Contents(scans), scansBefore);
}

// A full disk under the thumbnail cache, a scan and a converted picture:
// each save fails and says so, the files there keep their bytes, no
// temporary stays, and once there is room again the saves work.
TEST(SaveFaults, FullDiskLosesNothing) {
  win::OleSession ole;
  ASSERT_TRUE(imagelib::Bind());
  test::SmallDisk disk("1m");
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  TempFolder temp;
  const std::string thumbs = disk.File("Thumbs"), scans = disk.File("scans"), listed = temp.File("pictures");
  ASSERT_TRUE(CreateDirectoryA(listed.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(scans.c_str(), nullptr));
  const std::string cacheArgs = "cache \"" + thumbs + "\" \"" + listed + "\" ";
  ASSERT_EQ(RunChild(cacheArgs + "1").exitCode, 0u);
  test::WriteGreyBmp(temp.File("source.bmp"), 40, 30);
  const std::string convertArgs = "convert \"" + temp.File("source.bmp") + "\" \"" + scans + "\\target.png\"";
  ASSERT_EQ(RunChild(convertArgs).exitCode, 0u);
  test::WriteGreyBmp(temp.File("source.bmp"), 400, 300);  // a larger picture for the save that must fail
  const auto thumbsBefore = Contents(thumbs), scansBefore = Contents(scans);
  ASSERT_TRUE(disk.Fill());

  DebugStrings strings;
  ThumbCacheStore store(thumbs, win::IsAnsiLeadByte);
  EXPECT_FALSE(store.Save(listed, kBox, 8, [](size_t i, ThumbKey* key, PixelImage* pixels) {
    key->name = "picture" + std::to_string(i) + ".png";
    pixels->width = 120;
    pixels->height = 80;
    pixels->pixels.assign(120 * 80, 0x123456);
    return true;
  }));
  EXPECT_EQ(Contents(thumbs), thumbsBefore);
  EXPECT_EQ(CachedSeed(thumbs, listed), 1u) << "the old thumbnails are used";
  const std::string lines = DebugStrings::Take();
  EXPECT_TRUE(Has(lines, "save failed while writing: " + thumbs + "\\~zvtmp.00000000.bin: Win32 error 112")) << lines;

  EXPECT_EQ(RunChild("scan \"" + scans + "\" PNG").exitCode, 1u) << "the scan is refused";
  EXPECT_EQ(RunChild(convertArgs).exitCode, 1u) << "the conversion is refused";
  EXPECT_EQ(Contents(scans), scansBefore) << "the old picture stays, no cut file or temporary is left";

  disk.Free();
  EXPECT_EQ(RunChild(cacheArgs + "2").exitCode, 0u);
  EXPECT_EQ(CachedSeed(thumbs, listed), 2u);
  EXPECT_EQ(RunChild("scan \"" + scans + "\" PNG").exitCode, 0u);
}

}  // namespace
}  // namespace zv
