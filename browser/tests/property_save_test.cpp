// The property command (32891) and save as (32864) on a real file list:
// renames through the shell, conversions that keep the old file unless the
// new one was written and reads back, the list's row and cell following the
// file, and what save as writes (a byte copy, a 24-bit JPEG, the picture
// turned as the picture view shows it).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browser/tests/list_fixture.h"
#include "core/imagelib/image_header.h"
#include "imagelib/image.h"
#include "imagelib/image_library.h"
#include "imagelib/picture_ops.h"
#include "res/resource.h"
#include "tests/wine/nested_answer.h"
#include "tests/wine/wine_test_support.h"
#include "win/com.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ImageHeader HeaderOf(const std::string& path) {
  ImageHeader header;
  ProbeImageFile(path.c_str(), &header);
  return header;
}

PixelImage PixelsOf(const std::string& path, int type) {
  PixelImage pixels;
  imagelib::Image picture = imagelib::LoadPicture(path.c_str(), type);
  imagelib::ReadPixels32(picture.get(), &pixels);
  return pixels;
}

// Runs a shell line on the Linux side and waits for it (Wine's "start
// /unix" returns at once, so the line leaves its status in a file).
bool RunLinux(const std::string& line) {
  static int counter = 0;
  const std::string base = "/tmp/zv-saveprop-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  auto windows = [](std::string path) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return "Z:" + path;
  };
  test::WriteFileBytes(windows(base + ".sh"), line + "\necho $? > '" + base + ".part'\nmv '" + base + ".part' '" + base + ".status'\n");
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof system);
  std::string command = std::string("\"") + system + "\\start.exe\" /unix /bin/bash " + base + ".sh";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::string status = windows(base + ".status");
  for (int i = 0; i < 300 && !Exists(status); ++i) Sleep(100);
  const std::string code = test::ReadFileBytes(status);
  DeleteFileA(status.c_str());
  DeleteFileA(windows(base + ".sh").c_str());
  return code == "0\n";
}

// A folder under /tmp where a conversion cannot be written: a read-only
// one (made immutable: the tests run as root, for whom permissions are no
// obstacle), or a full disk (a small tmpfs filled up), where deleting the
// old file would still work.
class RefusingFolder {
 public:
  enum Kind { kReadOnly, kFull };
  explicit RefusingFolder(Kind kind)
      : kind_(kind), linux_("/tmp/zv-refusing-" + std::to_string(GetCurrentProcessId())), path_("Z:" + linux_) {
    for (char& c : path_)
      if (c == '/') c = '\\';
    made_ = kind == kReadOnly ? CreateDirectoryA(path_.c_str(), nullptr) != FALSE
                              : RunLinux("mkdir -p '" + linux_ + "' && mount -t tmpfs -o size=256k tmpfs '" + linux_ + "'");
  }
  ~RefusingFolder() {
    if (kind_ == kReadOnly) RunLinux("chattr -i '" + linux_ + "' 2>/dev/null; chmod u+w '" + linux_ + "'");
    RunLinux((kind_ == kFull ? "umount '" + linux_ + "'; " : std::string()) + "rm -rf '" + linux_ + "'");
  }
  bool made() const { return made_; }
  // From now on no new file fits.
  bool Refuse() {
    return kind_ == kReadOnly ? RunLinux("chattr +i '" + linux_ + "' 2>/dev/null || chmod a-w '" + linux_ + "'")
                              : RunLinux("dd if=/dev/zero of='" + linux_ + "/.fill' bs=1k 2>/dev/null; true");
  }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

 private:
  Kind kind_;
  std::string linux_;
  std::string path_;
  bool made_ = false;
};

// While it lives, answers Yes to every dialog of this thread that is not a
// file dialog (the save dialog's own question, the shell's questions) and
// counts them.
class YesToQuestions {
 public:
  YesToQuestions() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &OnTimer);
  }
  ~YesToQuestions() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  YesToQuestions(const YesToQuestions&) = delete;
  YesToQuestions& operator=(const YesToQuestions&) = delete;
  size_t asked() const { return answered_.size(); }

 private:
  static BOOL CALLBACK Answer(HWND window, LPARAM) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    const bool fileDialog = GetDlgItem(window, 0x47c) != nullptr || GetDlgItem(window, 0x480) != nullptr;
    if (std::string(name) != "#32770" || !IsWindowVisible(window) || fileDialog ||
        std::find(current_->answered_.begin(), current_->answered_.end(), window) != current_->answered_.end())
      return TRUE;
    current_->answered_.push_back(window);
    PostMessageA(window, WM_COMMAND, IDYES, 0);
    return TRUE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ != nullptr) EnumThreadWindows(GetCurrentThreadId(), &Answer, 0);
  }
  static inline YesToQuestions* current_ = nullptr;
  std::vector<HWND> answered_;
  UINT_PTR timer_ = 0;
};

class PropertySaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    test::RemoveStringIni();
    settings_.dwdLstMod = 0;  // the grid shows, and the rows exist as well
    ASSERT_TRUE(view_.Open());
  }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  CFileListView& View() { return view_.view(); }
  Names Rows() { return test::RowNames(view_.list()); }
  std::string CellName(size_t index) {
    const GridCell* cell = View().gridPresenter().grid().Cell(index);
    return cell != nullptr ? cell->name : std::string();
  }
  void SelectOnly(size_t index) {
    std::vector<char> flags(View().ItemCount(), 0);
    flags.at(index) = 1;
    View().gridPresenter().grid().SetSelection(flags);
    test::Pump();
  }
  // Runs the property command on the selected file and types `name` into the dialog.
  void Rename(const std::string& name) {
    ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_PROPERTY)); },
                                        [&](HWND dialog) {
                                          SetDlgItemTextA(dialog, IDC_ATTR_NAME, name.c_str());
                                          SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                        }));
  }
  // Runs save as on the selected file into `target`.
  void SaveAs(const std::string& target) {
    ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(View(), ID_FILE_SAVEAS)); },
                                        [&](HWND dialog) {
                                          const int field = GetDlgItem(dialog, 0x47c) != nullptr ? 0x47c : 0x480;
                                          SetDlgItemTextA(dialog, field, target.c_str());
                                          SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                        }));
  }

  win::OleSession ole_;
  EnvSet settings_;
  test::ViewUnderTest view_{settings_};
};

TEST_F(PropertySaveTest, RenamesAndConversionsFollowTheFileAndNeverLoseIt) {
  test::TempFolder folder;
  ASSERT_TRUE(test::CopyZooFile("jpeg_baseline.jpg", folder.File("a.JPG")));
  ASSERT_TRUE(test::CopyZooFile("jpeg_baseline.jpg", folder.File("b.jpg")));
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", folder.File("c.png")));
  const std::string jpegBytes = test::ReadFileBytes(folder.File("b.jpg"));
  View().SetFolder(folder.path().c_str());
  ASSERT_EQ(Rows(), (Names{"a.JPG", "b.jpg", "c.png"}));
  EXPECT_FALSE(win::QueryCommand(View(), ID_EDIT_PROPERTY).enabled()) << "nothing selected";
  View().SelectAll();
  test::Pump();
  EXPECT_FALSE(win::QueryCommand(View(), ID_EDIT_PROPERTY).enabled()) << "three selected";
  EXPECT_FALSE(win::QueryCommand(View(), ID_FILE_SAVEAS).enabled());

  // One type under another extension: a plain rename.
  SelectOnly(0);
  ASSERT_TRUE(win::QueryCommand(View(), ID_EDIT_PROPERTY).enabled());
  Rename("a.jpeg");
  EXPECT_FALSE(Exists(folder.File("a.JPG")));
  EXPECT_EQ(test::ReadFileBytes(folder.File("a.jpeg")), jpegBytes) << "renamed, not rewritten";
  EXPECT_EQ(Rows(), (Names{"a.jpeg", "b.jpg", "c.png"})) << "the row is replaced in place";
  EXPECT_EQ(CellName(0), "a.jpeg") << "and so is the cell";

  // Another known type: written as a PNG, the JPEG deleted once the PNG reads back.
  SelectOnly(1);
  Rename("b.png");
  EXPECT_FALSE(Exists(folder.File("b.jpg")));
  const ImageHeader png = HeaderOf(folder.File("b.png"));
  EXPECT_EQ(png.format, ImageFormat::kPng);
  EXPECT_EQ(png.width, 97);
  EXPECT_EQ(png.height, 61);
  EXPECT_EQ(Rows(), (Names{"a.jpeg", "b.png", "c.png"}));
  EXPECT_EQ(CellName(1), "b.png");
  EXPECT_EQ(View().ItemCount(), 3u);

  // No image type: renamed, and the list can no longer show it.
  SelectOnly(2);
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(win::RunEnabledCommand(View(), ID_EDIT_PROPERTY)); },
                                      [&](HWND dialog) {
                                        SetDlgItemTextA(dialog, IDC_ATTR_NAME, "c.txt");
                                        test::NestedAnswer yes(dialog, [](HWND box) {
                                          SendMessageA(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
                                        });
                                        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                      }));
  EXPECT_TRUE(Exists(folder.File("c.txt")));
  EXPECT_EQ(Rows(), (Names{"a.jpeg", "b.png"}));
  EXPECT_EQ(View().gridPresenter().grid().size(), 2u);
}

TEST_F(PropertySaveTest, AConversionThatCannotBeWrittenKeepsTheOldFileAndSaysSo) {
  for (RefusingFolder::Kind kind : {RefusingFolder::kReadOnly, RefusingFolder::kFull}) {
    SCOPED_TRACE(kind == RefusingFolder::kReadOnly ? "read-only folder" : "full disk");
    RefusingFolder folder(kind);
    ASSERT_TRUE(folder.made());
    ASSERT_TRUE(test::CopyZooFile("jpeg_baseline.jpg", folder.File("a.jpg")));
    const std::string bytes = test::ReadFileBytes(folder.File("a.jpg"));
    ASSERT_TRUE(folder.Refuse());
    test::WriteFileBytes(folder.File("probe.txt"), std::string(4096, 'x'));
    ASSERT_NE(test::ReadFileBytes(folder.File("probe.txt")).size(), 4096u) << "the folder must refuse new files";
    DeleteFileA(folder.File("probe.txt").c_str());
    View().SetFolder(folder.path().c_str());
    ASSERT_EQ(Rows(), Names{"a.jpg"});
    SelectOnly(0);
    test::MessageBoxAnswer boxes;
    Rename("a.png");
    EXPECT_EQ(test::ReadFileBytes(folder.File("a.jpg")), bytes) << "the picture is kept as it was";
    EXPECT_FALSE(Exists(folder.File("a.png")));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{
                                 win::Utf8ToAnsi("新しい形式で保存できなかったため、元のファイルをそのまま残しました。")});
    EXPECT_EQ(Rows(), Names{"a.jpg"});
    View().SetFolder(nullptr);
  }
}

TEST_F(PropertySaveTest, SaveAsCopiesConvertsAndWritesThePictureAsItIsShown) {
  test::TempFolder folder, target;
  ASSERT_TRUE(test::CopyZooFile("png_rgb24.png", folder.File("a.png")));
  View().SetFolder(folder.path().c_str());
  SelectOnly(0);
  ASSERT_TRUE(win::QueryCommand(View(), ID_FILE_SAVEAS).enabled());

  SaveAs(target.File("b.png"));
  EXPECT_EQ(test::ReadFileBytes(target.File("b.png")), test::ReadFileBytes(folder.File("a.png")))
      << "the same type unturned is a byte copy";

  // Onto an existing file of the same type: the save dialog asks, the copy does not ask again.
  ASSERT_TRUE(test::CopyZooFile("png_grey8.png", target.File("b.png")));
  {
    YesToQuestions questions;
    SaveAs(target.File("b.png"));
    EXPECT_EQ(questions.asked(), 1u) << "one question before the file is replaced, and no failure reported";
  }
  EXPECT_EQ(test::ReadFileBytes(target.File("b.png")), test::ReadFileBytes(folder.File("a.png")));

  SaveAs(target.File("b.jpg"));
  const ImageHeader jpeg = HeaderOf(target.File("b.jpg"));
  EXPECT_EQ(jpeg.format, ImageFormat::kJpeg);
  EXPECT_EQ(jpeg.bitsPerPixel, 24);
  EXPECT_EQ(jpeg.width, 97);

  // A quarter turn to the left in the picture view: the PNG is written turned.
  View().SelectAll();  // the one file becomes the current one
  View().OpenCurrent();
  ASSERT_TRUE(View().pictureMode().shown());
  ASSERT_TRUE(win::RunEnabledCommand(View(), ID_IMAGE_ROTATELEFT));
  ASSERT_EQ(View().pictureMode().view().GetOrientation(), 1);
  SaveAs(target.File("c.png"));
  const PixelImage source = PixelsOf(folder.File("a.png"), 0);
  const PixelImage turned = PixelsOf(target.File("c.png"), 0);
  ASSERT_EQ(source.width, 97);
  ASSERT_EQ(turned.width, source.height);
  ASSERT_EQ(turned.height, source.width);
  int wrong = 0;
  for (int y = 0; y < turned.height; ++y)
    for (int x = 0; x < turned.width; ++x)
      if ((turned.At(x, y) & 0xFFFFFF) != (source.At(source.width - 1 - y, x) & 0xFFFFFF)) ++wrong;
  EXPECT_EQ(wrong, 0) << "the top right corner comes to the top left";
  EXPECT_EQ(HeaderOf(target.File("c.png")).bitsPerPixel, 24) << "no alpha channel is added by turning";
}

}  // namespace
}  // namespace zv
