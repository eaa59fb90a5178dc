// Print, mail and open with through real components: the rig's CUPS printer
// (cups-pdf writes each job as a PDF, read back with pdfinfo and pdftoppm),
// a Simple MAPI mail program of the tests registered in the prefix
// (mail_recorder.dll), and a file association pointing at open_recorder.exe.
// The copyboard's mirror: unit 0 on C:, device folder C:\ZVM, mirror Q7IF.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "browser/tests/list_fixture.h"
#include "imagelib/image_library.h"
#include "res/resource.h"
#include "tests/wine/board_entries.h"
#include "tests/wine/wine_test_support.h"
#include "tests/wine/window_shot.h"
#include "win/com.h"
#include "win/command.h"
#include "win/registry.h"
#include "win/text_convert.h"

namespace zv {
namespace {

using Names = std::vector<std::string>;

std::string NonAscii(const char* extension) {
  return win::Utf8ToAnsi(GetACP() == 932 ? "表紙テスト" : "café") + extension;
}

using test::FolderAt;

// Colours as R, G, B.
struct Rgb {
  int r, g, b;
};
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 160, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};

// A 24-bit BMP in four quadrants: red top left, green top right, blue bottom
// left, black bottom right; which way up it prints shows.
void WriteQuadrantBmp(const std::string& path, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<uint32_t>(bytes.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  put(26, 1 | (24 << 16));
  for (int y = 0; y < height; ++y) {  // y counts from the top; rows are stored bottom-up
    char* row = &bytes[54 + static_cast<size_t>(height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      const Rgb c = bottom ? (right ? kBlack : kBlue) : (right ? kGreen : kRed);
      row[3 * x] = static_cast<char>(c.b);
      row[3 * x + 1] = static_cast<char>(c.g);
      row[3 * x + 2] = static_cast<char>(c.r);
    }
  }
  test::WriteFileBytes(path, bytes);
}

// A binary PPM (pdftoppm's output).
struct Raster {
  int width = 0, height = 0;
  std::string pixels;
  Rgb At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return {static_cast<uint8_t>(pixels[at]), static_cast<uint8_t>(pixels[at + 1]), static_cast<uint8_t>(pixels[at + 2])};
  }
  bool Paper(int x, int y) const {
    const Rgb c = At(x, y);
    return c.r > 240 && c.g > 240 && c.b > 240;
  }
};

Raster ReadPpm(const std::string& bytes) {
  Raster raster;
  std::istringstream in(bytes);
  std::string magic;
  int maxValue = 0;
  in >> magic >> raster.width >> raster.height >> maxValue;
  in.get();
  const size_t size = static_cast<size_t>(raster.width) * raster.height * 3;
  if (magic != "P6" || maxValue != 255 || raster.width <= 0 || raster.height <= 0) return {};
  const size_t start = static_cast<size_t>(in.tellg());
  if (bytes.size() < start + size) return {};
  raster.pixels = bytes.substr(start, size);
  return raster;
}

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) < 60 && std::abs(a.g - b.g) < 60 && std::abs(a.b - b.b) < 60; }

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// The rectangle of everything that is not paper.
Box InkBox(const Raster& raster) {
  Box box{raster.width, raster.height, 0, 0};
  for (int y = 0; y < raster.height; ++y)
    for (int x = 0; x < raster.width; ++x)
      if (!raster.Paper(x, y)) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

// One printed job as pdfinfo and pdftoppm see it.
struct PrintedJob {
  std::string file;  // the PDF's Linux path
  int job = 0;
  std::string title;
  int pages = 0;
  double pageWidth = 0, pageHeight = 0;  // points, as the page is seen (rotation applied)
  Raster page;
};

// The printer of the test rig (scripts/printer.sh).
class RigPrinter {
 public:
  RigPrinter() : server_(test::EnvironmentValue("CUPS_SERVER")), folder_(test::EnvironmentValue("ZV_PRINT_DIR")) {}
  bool ok() const { return !server_.empty() && !folder_.empty(); }
  std::string Linux(const std::string& command) const { return "export CUPS_SERVER='" + server_ + "'; " + command; }
  std::set<std::string> Files() const {
    std::string listing;
    test::RunLinuxCommand(Linux("ls -1 '" + folder_ + "' | grep '\\.pdf$' || true"), &listing);
    std::set<std::string> files;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) files.insert(line);
    return files;
  }
  // Waits until `count` files beyond `before` are written and no job is
  // pending; the new ones in job order.
  std::vector<PrintedJob> NewJobs(const std::set<std::string>& before, size_t count) const {
    std::vector<PrintedJob> jobs;
    for (int attempt = 0; attempt < 120; ++attempt) {
      std::string pending;
      test::RunLinuxCommand(Linux("lpstat -o"), &pending);
      jobs.clear();
      for (const std::string& name : Files())
        if (!before.count(name)) {
          PrintedJob job;
          job.file = folder_ + "/" + name;
          const size_t at = name.rfind("job_");
          job.job = at == std::string::npos ? 0 : std::atoi(name.c_str() + at + 4);
          jobs.push_back(job);
        }
      if (pending.empty() && jobs.size() >= count) break;
      Sleep(500);
    }
    std::sort(jobs.begin(), jobs.end(), [](const PrintedJob& a, const PrintedJob& b) { return a.job < b.job; });
    for (PrintedJob& job : jobs) Read(job);
    return jobs;
  }

 private:
  void Read(PrintedJob& job) const {
    std::string info;
    test::RunLinuxCommand("pdfinfo '" + job.file + "'", &info);
    std::istringstream in(info);
    int rotation = 0;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("Title:", 0) == 0) job.title = line.substr(line.find_first_not_of(' ', 6));
      if (line.rfind("Pages:", 0) == 0) job.pages = std::atoi(line.c_str() + 6);
      if (line.rfind("Page size:", 0) == 0) std::sscanf(line.c_str() + 10, "%lf x %lf", &job.pageWidth, &job.pageHeight);
      if (line.rfind("Page rot:", 0) == 0) rotation = std::atoi(line.c_str() + 9);
    }
    if (rotation % 180 != 0) std::swap(job.pageWidth, job.pageHeight);
    // 36 dots per inch: half a point per dot.
    const std::string ppm = "/tmp/zv-page-" + std::to_string(GetCurrentProcessId());
    if (test::RunLinuxCommand("pdftoppm -r 36 -f 1 -l 1 -singlefile '" + job.file + "' '" + ppm + "'")) {
      job.page = ReadPpm(test::ReadFileBytes(test::WindowsPathOfLinux(ppm + ".ppm")));
      const std::string shots = test::EnvironmentValue("ZV_SHOT_DIR");
      if (!shots.empty())
        CopyFileA(test::WindowsPathOfLinux(ppm + ".ppm").c_str(), (shots + "\\printed_page.ppm").c_str(), FALSE);
      DeleteFileA(test::WindowsPathOfLinux(ppm + ".ppm").c_str());
    }
  }
  std::string server_;
  std::string folder_;
};

// Checks a printed page: the picture fills the page on one side, is centred,
// and every row shows the quadrants expected at its place, so that a band
// missing, doubled or out of place shows. `corners`: top left, top right,
// bottom left, bottom right as printed.
void ExpectPrintedPicture(const PrintedJob& job, double aspect, const Rgb (&corners)[4], const std::string& what) {
  SCOPED_TRACE(what);
  const Raster& page = job.page;
  ASSERT_GT(page.width, 0) << "no raster of " << job.file;
  const Box ink = InkBox(page);
  ASSERT_GT(ink.width(), 0) << "blank page";
  // Touches one pair of sides (a dot of slack for rounding) and is centred.
  const bool fillsWidth = ink.width() >= page.width - 2;
  const bool fillsHeight = ink.height() >= page.height - 2;
  EXPECT_TRUE(fillsWidth || fillsHeight) << ink.width() << " x " << ink.height() << " on " << page.width << " x "
                                         << page.height;
  EXPECT_LE(std::abs(ink.left - (page.width - ink.right)), 2) << "centred across";
  EXPECT_LE(std::abs(ink.top - (page.height - ink.bottom)), 2) << "centred upright";
  EXPECT_NEAR(double(ink.width()) / ink.height(), aspect, 0.03) << "scaled in proportion";
  // Every row, away from the edges and the middle line.
  int wrongRows = 0;
  for (int y = ink.top + 1; y < ink.bottom - 1; ++y) {
    const int fromMiddle = std::abs(2 * (y - ink.top) - ink.height());
    if (fromMiddle <= 4) continue;
    const bool bottom = 2 * (y - ink.top) > ink.height();
    const Rgb left = page.At(ink.left + ink.width() / 4, y), right = page.At(ink.left + 3 * ink.width() / 4, y);
    if (!Near(left, corners[bottom ? 2 : 0]) || !Near(right, corners[bottom ? 3 : 1])) ++wrongRows;
  }
  EXPECT_EQ(wrongRows, 0) << "rows that do not show the picture";
}

class ImageCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(imagelib::Bind());
    test::RemoveStringIni();
    settings_.dwdLstMod = kListMode;  // selected through the list control's rows
  }
  void TearDown() override {
    view_.Close();
    test::RemoveStringIni();
  }
  CFileListView& Open(const std::string& folder) {
    EXPECT_TRUE(view_.Open());
    view_.view().SetFolder(folder.c_str());
    return view_.view();
  }
  bool Enabled(int id) { return win::QueryCommand(view_.view(), id).enabled(); }
  bool Run(int id) { return win::RunEnabledCommand(view_.view(), id); }
  // Selects the rows named `names` only, as the user's clicks would.
  void Select(const Names& names) {
    HWND list = view_.list();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    const Names rows = test::RowNames(list);
    for (size_t i = 0; i < rows.size(); ++i)
      if (std::find(names.begin(), names.end(), rows[i]) != names.end())
        ListView_SetItemState(list, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
    test::Pump();
    ASSERT_EQ(view_.view().GetSelectedCount(), static_cast<int>(names.size()));
  }
  static std::string TestProgramFolder() {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path = self;
    return path.substr(0, path.rfind('\\'));
  }

  win::OleSession ole_;
  EnvSet settings_;
  test::ViewUnderTest view_{settings_};
};

// Answers the print dialog with OK, keeping a picture of it over the window.
std::function<void(HWND)> PrintOk(HWND owner) {
  return [owner](HWND dialog) {
    test::SaveWindowShot(GetAncestor(owner, GA_ROOT), "print_dialog_owner");
    test::SaveWindowShot(dialog, "print_dialog");
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  };
}

TEST_F(ImageCommandsTest, EachPicturePrintsAsItsOwnJobOnAPageTurnedToIt) {
  RigPrinter printer;
  ASSERT_TRUE(printer.ok()) << "the rig's printer is not running (scripts/printer.sh)";
  test::TempFolder folder;
  // In list order: wide (large enough to be drawn in several bands), tall,
  // wide, and square, which turns no page and so shows that the page went
  // back to the dialog's orientation.
  WriteQuadrantBmp(folder.File("a_wide.bmp"), 2400, 1600);
  WriteQuadrantBmp(folder.File("b_tall.bmp"), 300, 500);
  WriteQuadrantBmp(folder.File("c_wide.bmp"), 500, 300);
  WriteQuadrantBmp(folder.File("d_square.bmp"), 400, 400);
  CFileListView& view = Open(folder.path());
  ASSERT_EQ(view.ItemCount(), 4u);
  Select({});
  EXPECT_FALSE(Enabled(ID_FILE_PRINT)) << "nothing selected";
  view.SelectAll();
  ASSERT_TRUE(Enabled(ID_FILE_PRINT));

  // Cancel prints nothing.
  const std::set<std::string> before = printer.Files();
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_FILE_PRINT)); },
                                      [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); }));
  // The dialog starts on portrait, the printer's own orientation.
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_FILE_PRINT)); }, PrintOk(view.hwnd())));
  const std::vector<PrintedJob> jobs = printer.NewJobs(before, 4);
  ASSERT_EQ(jobs.size(), 4u) << "one job per picture, none for the cancelled dialog";
  const char* names[] = {"a_wide", "b_tall", "c_wide", "d_square"};
  const bool landscape[] = {true, false, true, false};
  const double aspect[] = {1.5, 0.6, 500.0 / 300, 1.0};
  const Rgb upright[4] = {kRed, kGreen, kBlue, kBlack};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(jobs[i].title, std::string(names[i]) + ".bmp") << "the job is named after its file";
    EXPECT_EQ(jobs[i].pages, 1);
    EXPECT_EQ(jobs[i].pageWidth > jobs[i].pageHeight, landscape[i]) << jobs[i].pageWidth << " x " << jobs[i].pageHeight;
    ExpectPrintedPicture(jobs[i], aspect[i], upright, names[i]);
  }
}

TEST_F(ImageCommandsTest, TheShownPicturePrintsAsStoredNotAsTurnedForViewing) {
  RigPrinter printer;
  ASSERT_TRUE(printer.ok()) << "the rig's printer is not running (scripts/printer.sh)";
  test::TempFolder folder;
  WriteQuadrantBmp(folder.File("wide.bmp"), 600, 400);
  CFileListView& view = Open(folder.path());
  view.SelectAll();
  ASSERT_TRUE(view.ExecuteCommand(ID_VIEW_SHOWPICTURE));
  view.ExecuteCommand(ID_IMAGE_ROTATERIGHT);
  ASSERT_EQ(view.pictureMode().view().GetOrientation(), 3);
  ASSERT_TRUE(Enabled(ID_FILE_PRINT));

  const std::set<std::string> before = printer.Files();
  ASSERT_TRUE(test::AnswerModalDialog([&] { EXPECT_TRUE(Run(ID_FILE_PRINT)); }, PrintOk(view.hwnd())));
  const std::vector<PrintedJob> jobs = printer.NewJobs(before, 1);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_GT(jobs[0].pageWidth, jobs[0].pageHeight) << "the wide file, not the upright view, turns the page";
  const Rgb upright[4] = {kRed, kGreen, kBlue, kBlack};
  ExpectPrintedPicture(jobs[0], 600.0 / 400, upright, "as stored");
}

// ---- mail and open with ------------------------------------------------------

// The mail program of the tests, registered for the test's duration.
class RegisteredMailProgram {
 public:
  explicit RegisteredMailProgram(const std::string& dll) {
    HKEY mail = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mail, nullptr);
    key_.reset(mail);
    char previous[256] = "";
    DWORD size = sizeof previous;
    if (RegQueryValueExA(mail, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS)
      previous_ = previous;
    RegSetValueExA(mail, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kName), sizeof kName);
    HKEY client = nullptr;
    RegCreateKeyExA(mail, kName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &client, nullptr);
    RegSetValueExA(client, "DLLPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   static_cast<DWORD>(dll.size() + 1));
    RegCloseKey(client);
  }
  ~RegisteredMailProgram() {
    RegDeleteKeyA(key_.get(), kName);
    if (previous_.empty())
      RegDeleteValueA(key_.get(), nullptr);
    else
      RegSetValueExA(key_.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                     static_cast<DWORD>(previous_.size() + 1));
  }
  bool ok() const { return static_cast<bool>(key_); }

 private:
  static constexpr char kName[] = "ZViewer Test Mail";
  win::UniqueKey key_;
  std::string previous_;
};

// .bmp opens with open_recorder.exe for the test's duration.
class BmpAssociation {
 public:
  explicit BmpAssociation(const std::string& exe) {
    HKEY classes = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, KEY_ALL_ACCESS, &classes);
    classes_.reset(classes);
    HKEY bmp = nullptr;
    RegCreateKeyExA(classes, ".bmp", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bmp, nullptr);
    char previous[256] = "";
    DWORD size = sizeof previous;
    if (RegQueryValueExA(bmp, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS)
      previous_ = previous;
    RegSetValueExA(bmp, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kClass), sizeof kClass);
    RegCloseKey(bmp);
    HKEY command = nullptr;
    RegCreateKeyExA(classes, (std::string(kClass) + "\\shell\\open\\command").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &command, nullptr);
    const std::string line = "\"" + exe + "\" \"%1\"";
    RegSetValueExA(command, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(line.c_str()),
                   static_cast<DWORD>(line.size() + 1));
    RegCloseKey(command);
  }
  ~BmpAssociation() {
    win::DeleteTree(classes_.get(), kClass);
    HKEY bmp = nullptr;
    if (RegOpenKeyExA(classes_.get(), ".bmp", 0, KEY_ALL_ACCESS, &bmp) != ERROR_SUCCESS) return;
    if (previous_.empty())
      RegDeleteValueA(bmp, nullptr);
    else
      RegSetValueExA(bmp, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                     static_cast<DWORD>(previous_.size() + 1));
    RegCloseKey(bmp);
  }
  bool ok() const { return static_cast<bool>(classes_); }

 private:
  static constexpr char kClass[] = "ZViewerTest.OpenRecorder";
  win::UniqueKey classes_;
  std::string previous_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What the mail program recorded for one message with these attachments.
std::vector<std::string> ExpectedMail(const Names& paths, const Names& names) {
  std::vector<std::string> lines = {"session 0", "window 0",      "flags 9",  "reserved 0", "subject (null)",
                                    "note (null)", "recipients 0", "files " + std::to_string(paths.size())};
  for (size_t i = 0; i < paths.size(); ++i) {
    lines.push_back("file 0 0 4294967295 notype");
    lines.push_back("path " + paths[i]);
    lines.push_back("name " + names[i]);
  }
  lines.push_back("end");
  return lines;
}

class MailAndOpenTest : public ImageCommandsTest {
 protected:
  void SetUp() override {
    ImageCommandsTest::SetUp();
    mailLog_ = logs_.File("mail.txt");
    openLog_ = logs_.File("open.txt");
    SetEnvironmentVariableA("ZV_MAIL_LOG", mailLog_.c_str());
    SetEnvironmentVariableA("ZV_OPEN_LOG", openLog_.c_str());
    ASSERT_TRUE(mailProgram_.ok());
    ASSERT_TRUE(association_.ok());
    ASSERT_TRUE(mounted_.ok());
    mounted_.MountUnit('C', 0);
    // Loaded after the registration: mapi32 reads it when it is loaded.
    services_.LoadMapi();
    ASSERT_NE(GetMapiSendMail(), nullptr);
  }
  void TearDown() override {
    services_.UnloadMapi();
    ImageCommandsTest::TearDown();
  }
  // Runs `id` and takes what the log gained, waiting for `lines` lines.
  std::vector<std::string> RunAndRead(int id, const std::string& log, size_t lines) {
    DeleteFileA(log.c_str());
    // A message box instead of the mail program (none registered) fails, not hangs.
    test::MessageBoxWatcher boxes;
    EXPECT_TRUE(Run(id));
    std::vector<std::string> read;
    for (int i = 0; i < 200 && read.size() < lines; ++i) {
      test::PumpFor(50);
      read = Lines(test::ReadFileBytes(log));
    }
    test::PumpFor(300);  // nothing more may come
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    return Lines(test::ReadFileBytes(log));
  }

  test::TempFolder logs_;
  std::string mailLog_, openLog_;
  RegisteredMailProgram mailProgram_{TestProgramFolder() + "\\mail_recorder.dll"};
  BmpAssociation association_{TestProgramFolder() + "\\open_recorder.exe"};
  test::MountedDevicesSnapshot mounted_;
  AppServices services_;
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

TEST_F(MailAndOpenTest, ExactlyTheSelectedFilesGoOutMirrorFilesByMailBoardFilesToTheApplication) {
  test::TempFolder folder;
  const Names names = {"a.bmp", "b.bmp", NonAscii(".bmp")};  // list order in either code page
  for (const std::string& name : names) test::WriteGreyBmp(folder.File(name), 20, 10);
  CFileListView& view = Open(folder.path());
  ASSERT_EQ(view.ItemCount(), 3u);
  Select({});
  EXPECT_FALSE(Enabled(ID_FILE_SENDMAIL));
  EXPECT_FALSE(Enabled(ID_FILE_OPENAPPLI));
  Select({names[0], names[2]});
  ASSERT_TRUE(Enabled(ID_FILE_SENDMAIL));
  ASSERT_TRUE(Enabled(ID_FILE_OPENAPPLI));
  const Names chosen = {folder.File(names[0]), folder.File(names[2])};

  EXPECT_EQ(RunAndRead(ID_FILE_SENDMAIL, mailLog_, 15), ExpectedMail(chosen, {names[0], names[2]}));
  std::vector<std::string> opened = RunAndRead(ID_FILE_OPENAPPLI, openLog_, 2);
  std::sort(opened.begin(), opened.end());  // the programs may finish in any order
  EXPECT_EQ(opened, (std::vector<std::string>{Quoted(chosen[0]), Quoted(chosen[1])}));

  // The board: the list shows the mirror; mail attaches the mirror's files,
  // the application gets the board's.
  FolderAt device("C:\\ZVM"), mirror(ProgramFolder() + "\\Q7IF");
  for (const std::string& name : names) test::WriteGreyBmp(device.File(name), 20, 10);
  view.SetFolder("C:\\ZVM");
  ASSERT_EQ(view.CurrentFolder(), mirror.path());
  Select({names[1], names[2]});
  EXPECT_EQ(RunAndRead(ID_FILE_SENDMAIL, mailLog_, 15),
            ExpectedMail({mirror.File(names[1]), mirror.File(names[2])}, {names[1], names[2]}));
  opened = RunAndRead(ID_FILE_OPENAPPLI, openLog_, 2);
  std::sort(opened.begin(), opened.end());
  EXPECT_EQ(opened, (std::vector<std::string>{Quoted(device.File(names[1])), Quoted(device.File(names[2]))}));
}

}  // namespace
}  // namespace zv
