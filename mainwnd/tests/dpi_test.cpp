// The program on screens of 96, 144 and 192 DPI: the frame's bars, the
// grid's cells and boxes, the toolbar and the application font grow with the
// screen, a picture at real size keeps one pixel per screen pixel, and what
// is stored (the bar width, the cache file's box) is in design units or
// names the box it was made for.
//
// Wine reads the prefix's LogPixels when a process starts, so each DPI is
// measured by a child run of this program, started while the registry says
// that DPI; the value the prefix had is put back before the next test (the
// Wine tests run one at a time). A move to another screen (WM_DPICHANGED,
// which Wine never sends) is tested in this process.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "app/registry_profile.h"
#include "browser/file_list_view.h"
#include "core/browser/thumb_cache_format.h"
#include "mainwnd/main_frame.h"
#include "mainwnd/tests/frame_fakes.h"
#include "res/resource.h"
#include "tests/wine/wine_test_support.h"
#include "win/registry.h"

namespace zv {
namespace {

constexpr char kMeasuresVariable[] = "ZV_DPI_MEASURES";
constexpr char kFolderVariable[] = "ZV_DPI_FOLDER";
constexpr DWORD kChildLimitMs = 180000;

using Measures = std::map<std::string, int>;

// A measure; a missing one fails the test (and reads as -1).
int Of(const Measures& m, const std::string& name) {
  const auto found = m.find(name);
  if (found != m.end()) return found->second;
  ADD_FAILURE() << "no measure " << name;
  return -1;
}

RECT WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// A frame with the real file list (thumbnails, size 0) on `folder`, which
// holds a 300 x 200 picture "a.bmp"; its thumbnails are made before it returns.
class FrameOnScreen {
 public:
  explicit FrameOnScreen(const std::string& folder) : folder_(folder) {
    settings_.dwdLstMod = 0;
    settings_.intThmSiz = 0;
    frame_ = std::make_unique<CMainFrame>(test::FileListFrameParts(settings_, view_));
    EXPECT_TRUE(frame_->CreateFrame());
    SetWindowPos(frame_->hwnd(), nullptr, 0, 0, 1200, 950, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    test::Pump();
    view_->SetFolder(folder_.c_str());
    WaitForThumbnails();
  }
  ~FrameOnScreen() { Close(); }

  void Close() {
    frame_.reset();
    test::Pump();
  }
  void WaitForThumbnails() {
    for (int i = 0; i < 12000 && view_->gridPresenter().outstanding() > 0; ++i) test::PumpFor(10);
    test::Pump();
  }
  CMainFrame& frame() { return *frame_; }
  CFileListView& view() { return *view_; }

  // Drags the splitter right of the left column until the column is `width` pixels wide.
  void DragColumnTo(int width) {
    const RECT tree = ClientRectOf(ID_VIEW_FOLDERTREE);
    const LPARAM from = MAKELPARAM(tree.right + 1, (tree.top + tree.bottom) / 2);
    const LPARAM to = MAKELPARAM(width, (tree.top + tree.bottom) / 2);
    SendMessageA(frame_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageA(frame_->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageA(frame_->hwnd(), WM_LBUTTONUP, 0, to);
    test::Pump();
  }

  // What the frame, the grid, the toolbar and the picture view show now.
  Measures Measure() {
    Measures m;
    m["dpi"] = frame_->scale().dpi;
    m["items"] = static_cast<int>(view_->ItemCount());
    m["cells"] = static_cast<int>(view_->gridPresenter().grid().size());
    const RECT tree = ClientRectOf(ID_VIEW_FOLDERTREE);
    m["treeWidth"] = tree.right - tree.left;
    m["splitter"] = ClientRectOf(IDW_FIRST_PANE).left - tree.right;
    const DWORD button = static_cast<DWORD>(SendMessageA(frame_->toolbar(), TB_GETBUTTONSIZE, 0, 0));
    m["buttonWidth"] = LOWORD(button);
    m["buttonHeight"] = HIWORD(button);
    const CThumbnailGrid& grid = view_->gridPresenter().grid();
    m["cellWidth"] = grid.layout().cell.width;
    m["cellHeight"] = grid.layout().cell.height;
    m["boxWidth"] = grid.box().width;
    m["boxHeight"] = grid.box().height;
    if (const auto pixels = grid.GetCellBitmap(0)) {
      m["thumbWidth"] = pixels->width;
      m["thumbHeight"] = pixels->height;
    }
    const HWND list = test::FindChildById(frame_->hwnd(), IDW_FILE_LIST);
    m["listColumnWidth"] = list == nullptr ? -1 : static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    LOGFONTA font{};
    GetObjectA(GetAppFont(), sizeof font, &font);
    m["fontHeight"] = font.lfHeight;
    CPictureView& picture = view_->pictureMode().view();
    if (picture.ShowPicture((folder_ + "\\a.bmp").c_str(), 0)) {
      picture.ZoomCommand(1);
      m["realWidth"] = picture.displayedSize().width;
      m["realHeight"] = picture.displayedSize().height;
      const RECT image = WindowRectOf(picture.imageChild());
      m["imageWidth"] = image.right - image.left;
      m["imageHeight"] = image.bottom - image.top;
    }
    return m;
  }

 private:
  RECT ClientRectOf(int id) {
    RECT r = WindowRectOf(test::FindChildById(frame_->hwnd(), id));
    MapWindowPoints(nullptr, frame_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  std::string folder_;
  EnvSet settings_;
  CFileListView* view_ = nullptr;
  std::unique_ptr<CMainFrame> frame_;
};

// The stored width of the left column, as the frame wrote it at its end.
int StoredColumnWidth() {
  return RegistryProfileSection("BCGSettings" + GetVersionString() + "\\MainFrameLayout").ReadInt("LeftWidth", -1);
}

// The box in the header of the cache file written for `folder`; nothing when there is none.
std::optional<std::pair<int, int>> CacheBoxOf(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const std::string thumbs = ProgramFolder() + "\\Thumbs\\";
  HANDLE search = FindFirstFileA((thumbs + "*.bin").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::pair<int, int>> box;
  do {
    const std::string bytes = test::ReadFileBytes(thumbs + found.cFileName);
    if (bytes.size() < thumb_cache::kHeaderSize) continue;
    const std::string stored(bytes.c_str() + thumb_cache::kFolderOffset);
    if (lstrcmpiA(stored.c_str(), folder.c_str()) != 0) continue;
    const auto le32 = [&](size_t at) {
      return static_cast<int>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                              static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 3]) << 24);
    };
    box = std::make_pair(le32(thumb_cache::kBoxWidthOffset), le32(thumb_cache::kBoxHeightOffset));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return box;
}

// Run as a child by DpiScreens (skipped otherwise): measures the frame on the
// folder it is given, drags the left column to 300 design pixels, closes the
// frame (which stores the layout and the folder's cache file) and writes the
// measures to the file it is given.
TEST(DpiChild, MeasureOnThisScreen) {
  const std::string out = test::EnvironmentValue(kMeasuresVariable);
  const std::string folder = test::EnvironmentValue(kFolderVariable);
  if (out.empty() || folder.empty()) GTEST_SKIP() << "run by DpiScreens with a DPI set";
  OleInitialize(nullptr);
  Measures m;
  {
    AppServices services;
    services.CreateAppFont();
    test::DeleteProgramSettings();
    CreateDirectoryA((ProgramFolder() + "\\Thumbs").c_str(), nullptr);
    FrameOnScreen screen(folder);
    m = screen.Measure();
    screen.DragColumnTo(DisplayScale{m["dpi"]}.Px(300));
    screen.Close();
    m["storedWidth"] = StoredColumnWidth();
    if (const auto box = CacheBoxOf(folder)) {
      m["cacheBoxWidth"] = box->first;
      m["cacheBoxHeight"] = box->second;
    }
    test::DeleteProgramSettings();
  }
  OleUninitialize();
  std::ofstream file(out, std::ios::trunc);
  for (const auto& [name, value] : m) file << name << ' ' << value << '\n';
  ASSERT_TRUE(file.good());
}

// Sets the prefix's LogPixels (both places Wine reads it from) for the
// processes started while it lives, and puts back what was there.
class LogPixelsSetting {
 public:
  explicit LogPixelsSetting(DWORD dpi) {
    for (Place& place : places_) {
      place.key = win::CreateKey(place.root, place.path);
      DWORD size = sizeof place.old;
      place.had = RegQueryValueExA(place.key.get(), "LogPixels", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&place.old), &size) == ERROR_SUCCESS;
      RegSetValueExA(place.key.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
  }
  ~LogPixelsSetting() {
    for (Place& place : places_) {
      if (place.had)
        RegSetValueExA(place.key.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&place.old),
                       sizeof place.old);
      else
        RegDeleteValueA(place.key.get(), "LogPixels");
    }
  }

 private:
  struct Place {
    HKEY root;
    const char* path;
    win::UniqueKey key;
    bool had = false;
    DWORD old = 0;
  };
  Place places_[2] = {{HKEY_CURRENT_USER, "Control Panel\\Desktop"},
                      {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};
};

// Runs this program's DpiChild test in a process started at `dpi`.
Measures MeasureAt(DWORD dpi, const std::string& folder, const test::TempFolder& scratch) {
  const std::string out = scratch.File("measures-" + std::to_string(dpi) + ".txt");
  DeleteFileA(out.c_str());
  {
    LogPixelsSetting setting(dpi);
    SetEnvironmentVariableA(kMeasuresVariable, out.c_str());
    SetEnvironmentVariableA(kFolderVariable, folder.c_str());
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_filter=DpiChild.*";
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const bool started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kMeasuresVariable, nullptr);
    SetEnvironmentVariableA(kFolderVariable, nullptr);
    EXPECT_TRUE(started) << "the child at " << dpi << " DPI starts";
    if (!started) return {};
    EXPECT_TRUE(test::WaitForExit(process, kChildLimitMs)) << "the child at " << dpi << " DPI ends";
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u) << "the child at " << dpi << " DPI passes";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  Measures m;
  std::istringstream lines(test::ReadFileBytes(out));
  std::string name;
  int value = 0;
  while (lines >> name >> value) m[name] = value;
  for (const auto& [key, number] : m) std::printf("%d DPI: %s %d\n", static_cast<int>(dpi), key.c_str(), number);
  return m;
}

// At 144 and 192 DPI everything of the design is 1.5 and 2 times its size at
// 96; the picture at real size and the stored column width are the same on
// every screen. The three runs share one folder: the cache file written at
// one scale is a miss at the next, whose thumbnails have its own box.
TEST(DpiScreens, BarsGridToolbarAndFontFollowTheScreenWhatIsStoredDoesNot) {
  test::TempFolder scratch;
  test::TempFolder pictures;
  test::WriteGreyBmp(pictures.File("a.bmp"), 300, 200);
  const Measures at96 = MeasureAt(96, pictures.path(), scratch);
  ASSERT_EQ(at96.count("dpi"), 1u) << "the child at 96 DPI measured";
  EXPECT_EQ(Of(at96, "dpi"), 96);
  EXPECT_EQ(Of(at96, "cells"), 1) << "the picture is listed";
  EXPECT_EQ(Of(at96, "treeWidth"), 200);
  EXPECT_EQ(Of(at96, "splitter"), 5);
  EXPECT_EQ(Of(at96, "cellWidth"), 140);
  EXPECT_EQ(Of(at96, "cellHeight"), 120);
  EXPECT_EQ(Of(at96, "thumbWidth"), 120);
  EXPECT_EQ(Of(at96, "cacheBoxWidth"), 120);
  EXPECT_EQ(Of(at96, "cacheBoxHeight"), 80);
  for (const int dpi : {144, 192}) {
    const Measures m = MeasureAt(static_cast<DWORD>(dpi), pictures.path(), scratch);
    ASSERT_EQ(m.count("dpi"), 1u) << "the child at " << dpi << " DPI measured";
    EXPECT_EQ(Of(m, "dpi"), dpi) << "Wine gives the window the prefix's DPI (the manifest's awareness)";
    const auto scaled = [dpi](int design) { return DisplayScale{dpi}.Px(design); };
    for (const char* name : {"treeWidth", "splitter", "cellWidth", "cellHeight", "boxWidth", "boxHeight",
                             "thumbWidth", "thumbHeight", "cacheBoxWidth", "cacheBoxHeight", "listColumnWidth"})
      EXPECT_EQ(Of(m, name), scaled(Of(at96, name))) << name << " at " << dpi << " DPI";
    EXPECT_EQ(Of(m, "buttonWidth") - Of(at96, "buttonWidth"), scaled(16) - 16) << "toolbar images of " << dpi;
    EXPECT_EQ(Of(m, "buttonHeight") - Of(at96, "buttonHeight"), scaled(15) - 15) << "toolbar images of " << dpi;
    EXPECT_NEAR(Of(m, "fontHeight"), scaled(Of(at96, "fontHeight")), 1) << "the font at " << dpi << " DPI";
    for (const char* name : {"realWidth", "realHeight", "imageWidth", "imageHeight", "storedWidth"})
      EXPECT_EQ(Of(m, name), Of(at96, name)) << name << " at " << dpi << " DPI";
  }
  EXPECT_EQ(Of(at96, "realWidth"), 300) << "real size: one picture pixel per screen pixel";
  EXPECT_EQ(Of(at96, "imageHeight"), 200);
  EXPECT_EQ(Of(at96, "storedWidth"), 300) << "the dragged column is stored in design pixels";
}

// A move to a screen of 1.5 times the DPI: the frame takes the suggested
// rectangle and lays out its bars, the toolbar and the grid for it, and the
// grid makes its thumbnails again at the new box.
TEST(DpiScreens, MovingToAnotherScreenScalesTheFrameAndRemakesThumbnails) {
  OleInitialize(nullptr);
  {
    AppServices services;
    services.CreateAppFont();
    test::DeleteProgramSettings();
    test::TempFolder pictures;
    test::WriteGreyBmp(pictures.File("a.bmp"), 300, 200);
    FrameOnScreen screen(pictures.path());
    const Measures before = screen.Measure();
    const DisplayScale next{Of(before, "dpi") * 3 / 2};
    RECT suggested{10, 20, 10 + 1000, 20 + 800};
    SendMessageA(screen.frame().hwnd(), WM_DPICHANGED, MAKEWPARAM(next.dpi, next.dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(WindowRectOf(screen.frame().hwnd()).right, 1010) << "the suggested rectangle";
    EXPECT_EQ(WindowRectOf(screen.frame().hwnd()).bottom, 820);
    screen.WaitForThumbnails();
    const Measures after = screen.Measure();
    EXPECT_EQ(Of(after, "dpi"), next.dpi);
    const DisplayScale from{Of(before, "dpi")};
    for (const char* name : {"treeWidth", "splitter", "cellWidth", "cellHeight", "boxWidth", "boxHeight",
                             "thumbWidth", "thumbHeight", "listColumnWidth"})
      EXPECT_EQ(Of(after, name), next.Px(from.Design(Of(before, name)))) << name;
    EXPECT_GT(Of(after, "buttonWidth"), Of(before, "buttonWidth")) << "the toolbar's images of the new scale";
    EXPECT_LT(Of(after, "fontHeight"), Of(before, "fontHeight")) << "a font made for the new DPI (taller)";
    EXPECT_EQ(Of(after, "realWidth"), 300);
    screen.Close();
    EXPECT_EQ(StoredColumnWidth(), 200) << "the column is stored in design units";
    test::DeleteProgramSettings();
  }
  OleUninitialize();
}

}  // namespace
}  // namespace zv
