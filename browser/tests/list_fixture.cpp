#include "browser/tests/list_fixture.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "app/app_paths.h"
#include "imagelib/tests/zoo.h"

namespace zv::test {

namespace {
constexpr char kHostClass[] = "ZVFileListTestHost";
}  // namespace

bool HostWindow::Open() {
  if (!RegisterClass(kHostClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
  if (!Create({.className = kHostClass,
               .title = "file list test",
               .style = WS_POPUP | WS_CLIPCHILDREN,
               .exStyle = WS_EX_NOACTIVATE,
               .rect = {20, 20, 900, 600}}))
    return false;
  ShowWindow(hwnd(), SW_SHOWNA);
  return true;
}

bool ViewUnderTest::Open() {
  if (!host_.Open()) return false;
  view_ = std::make_unique<CFileListView>(settings_, thumbnailBudget_);
  if (!view_->CreatePane(host_.hwnd(), 59648, listHost_)) return false;
  MoveWindow(view_->hwnd(), 0, 0, 860, 540, TRUE);
  Pump();
  return view_->listControl() != nullptr;
}

void ViewUnderTest::WaitForThumbnails() {
  for (int i = 0; i < 12000 && view_->gridPresenter().outstanding() > 0; ++i) PumpFor(10);  // two minutes at most
  Pump();
}

void ViewUnderTest::Close() {
  view_.reset();
  host_.Destroy();
  Pump();
}

std::string CellText(HWND list, int row, int column) {
  char text[1024] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::string> ColumnTexts(HWND list, int column) {
  std::vector<std::string> texts;
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) texts.push_back(CellText(list, row, column));
  return texts;
}

std::string ColumnCaption(HWND list, int column) {
  char text[256] = "";
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  return text;
}

std::vector<int> ColumnOrder(HWND list) {
  std::vector<int> order(6, -1);
  SendMessageA(list, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  return order;
}

bool CopyZooFile(const std::string& zooName, const std::string& path) {
  return CopyFileA(ZooPath(zooName).c_str(), path.c_str(), FALSE) != FALSE;
}

bool SetWriteTime(const std::string& path, const FILETIME& time) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(file, nullptr, nullptr, &time) != FALSE;
  CloseHandle(file);
  return ok;
}

FILETIME FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME utc{};
  utc.wYear = static_cast<WORD>(year);
  utc.wMonth = static_cast<WORD>(month);
  utc.wDay = static_cast<WORD>(day);
  utc.wHour = static_cast<WORD>(hour);
  utc.wMinute = static_cast<WORD>(minute);
  utc.wSecond = static_cast<WORD>(second);
  FILETIME time{};
  SystemTimeToFileTime(&utc, &time);
  return time;
}

std::string LocalDateText(const FILETIME& utc) {
  SYSTEMTIME universal{}, local{};
  FileTimeToSystemTime(&utc, &universal);
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute, local.wSecond);
  return text;
}

uint64_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void RemoveStringIni() { DeleteFileA((ProgramFolder() + "\\String.ini").c_str()); }

namespace {

void DeleteTree(const std::string& path) {
  std::string from = path + '\0';
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
}

}  // namespace

FolderAt::FolderAt(std::string path) : path_(std::move(path)) {
  DeleteTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

FolderAt::~FolderAt() { DeleteTree(path_); }

}  // namespace zv::test
