#include "mainwnd/main_frame.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/app_paths.h"
#include "app/app_services.h"
#include "app/registry_profile.h"
#include "app/ui_text_table.h"
#include "core/mainwnd/scan_folder.h"
#include "core/text/ansi_path.h"
#include "dialogs/app_setup_dlg.h"
#include "dialogs/info_dlg.h"
#include "fileops/file_checks.h"
#include "mainwnd/frame_bars.h"
#include "res/app_identity.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/navigation_keys.h"
#include "win/registry.h"
#include "win/step_trace.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr char kMainFrameClass[] = "ZVMainFrame";

using Entry = win::CommandEntry<CMainFrame>;
constexpr Entry kFrameCommands[] = {
    {ID_VIEW_FOLDERTREE, ID_VIEW_PREVIEW, &CMainFrame::OnToggleBar, &CMainFrame::OnUpdateToggleBar},
    {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CMainFrame::OnToggleBar, &CMainFrame::OnUpdateToggleBar},
    {ID_APP_EXIT, ID_APP_EXIT, &CMainFrame::OnAppExit, nullptr},
    {ID_HELP_INDEX, ID_HELP_INDEX, &CMainFrame::OnHelpIndex, nullptr},
    {ID_HELP_INFORMATION, ID_HELP_INFORMATION, &CMainFrame::OnInformation, nullptr},
    {ID_TOOL_APPSETTING, ID_TOOL_APPSETTING, &CMainFrame::OnAppSetting, nullptr},
    {ID_TWAIN_SELECT, ID_TWAIN_SELECT, &CMainFrame::OnTwainSelect, &CMainFrame::OnUpdateTwain},
    {ID_TWAIN_INPUT, ID_TWAIN_INPUT, &CMainFrame::OnTwainInput, &CMainFrame::OnUpdateTwain},
};

std::optional<std::string> SpecialFolder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::nullopt;
  return std::string(path);
}

// The bar layout lives in the toolkit's registry branch, "BCGSettings" + version.
std::string LayoutSection() { return "BCGSettings" + GetVersionString() + "\\MainFrameLayout"; }

}  // namespace

CMainFrame::CMainFrame(FrameParts parts) : parts_(std::move(parts)) {}
CMainFrame::~CMainFrame() {
  // Destroyed here, while the frame's own WM_DESTROY handling still exists.
  if (hwnd() != nullptr) DestroyWindow(hwnd());
  if (contextMenu_ != nullptr) DestroyMenu(contextMenu_);
}

bool CMainFrame::CreateFrame() {
  // Class style 0, no cursor (splitters and panes set their own), no background, no icon.
  if (!RegisterClass(kMainFrameClass, nullptr, nullptr, 0)) return false;
  // The menu resource holds only an empty popup; OnCreate replaces it.
  HMENU placeholder = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  if (Create({.className = kMainFrameClass,
              .title = ZV_APP_TITLE,
              .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
              .exStyle = 0,
              .menuOrId = placeholder}))
    return true;
  if (placeholder != nullptr && IsMenu(placeholder)) DestroyMenu(placeholder);
  return false;
}

bool CMainFrame::OnCreate() {
  SetClassLongPtrA(hwnd(), GCLP_HCURSOR, 0);
  scale_ = win::Dpi::OfWindow(hwnd());
  UseAppFontFor(scale_.dpi);
  {
    CUiTextTable table;
    texts_.Load(table);
  }
  fileList_ = parts_.fileList();
  if (!fileList_ || !fileList_->CreatePane(hwnd(), IDW_FIRST_PANE, *this)) return false;
  win::TraceStep("frame: texts and file list");

  HMENU bar = BuildMenu(MenuBarLayout(), texts_, true);
  HMENU old = GetMenu(hwnd());
  if (!SetMenu(hwnd(), bar)) return false;
  if (old != nullptr) DestroyMenu(old);
  DrawMenuBar(hwnd());
  contextMenu_ = BuildMenu(ContextMenuLayout(), texts_, false);

  if (!CreateBars()) return false;
  LoadLayout();
  win::TraceStep("frame: menus, preview, layout");

  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  accelerators_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  dropRegistered_ = SUCCEEDED(RegisterDragDrop(hwnd(), &dropTarget_));

  scanner_ = parts_.scanner ? parts_.scanner() : nullptr;
  win::TraceStep("frame: icons, accelerators, drop target");
  if (scanner_) scanner_->Start(hwnd(), IDW_SCANNER);
  win::TraceStep("frame: scanner connection");
  RecalcLayout();
  return true;
}

bool CMainFrame::CreateBars() {
  toolbar_ = CreateFrameToolbar(hwnd(), scale_);
  if (toolbar_ == nullptr) return false;
  SetWindowTextA(toolbar_, texts_.Get(kBarTitleSection, "ToolBar").c_str());
  statusBar_ = CreateFrameStatusBar(hwnd(), GetAppFont());
  if (statusBar_ == nullptr) return false;
  win::TraceStep("frame: toolbar and status bar");
  folderTree_ = parts_.folderTree();
  const std::string treeTitle = texts_.Get(kBarTitleSection, "FolderTree");
  if (!folderTree_ || !folderTree_->CreatePane(hwnd(), ID_VIEW_FOLDERTREE, treeTitle, GetAppFont(), *this)) return false;
  // A tree control shows no text of its own; a screen reader names it by it.
  SetWindowTextA(folderTree_->GetTreeCtrl(), treeTitle.c_str());
  win::TraceStep("frame: folder tree");
  preview_ = parts_.preview();
  return preview_ &&
         preview_->CreateBar(hwnd(), ID_VIEW_PREVIEW, texts_.Get(kBarTitleSection, "PreView"), GetAppFont());
}

void CMainFrame::OnDestroy() {
  if (scanner_) scanner_->Shutdown();
  if (dropRegistered_) RevokeDragDrop(hwnd());
  dropRegistered_ = false;
  SaveLayout();
  PostQuitMessage(0);
}

bool CMainFrame::PreTranslateMessage(MSG& msg) {
  if (scanner_ && scanner_->PreTranslate(msg)) return true;
  if (accelerators_ != nullptr && hwnd() != nullptr && (msg.hwnd == hwnd() || IsChild(hwnd(), msg.hwnd))) {
    // Left and Right are the picture view's previous and next; a list or
    // the grid that has the focus moves with them instead.
    if (win::WantsNavigationKey(msg)) return false;
    const HWND panes[] = {folderTree_ ? folderTree_->GetTreeCtrl() : nullptr, fileList_ ? fileList_->hwnd() : nullptr};
    if (win::MoveFocusAmongPanes(msg, panes)) return true;
    return TranslateAcceleratorA(hwnd(), accelerators_, &msg) != 0;
  }
  return false;
}

void CMainFrame::OnIdle() {
  if (toolbar_ != nullptr && IsWindowVisible(toolbar_)) win::UpdateToolbarButtons(toolbar_, *this);
}

win::Window* CMainFrame::GetPane(int index) const {
  switch (index) {
    case 0: return fileList_.get();
    case 1: return folderTree_.get();
    case 2: return preview_.get();
    default: return nullptr;
  }
}

void CMainFrame::SelectFolder(const std::string& folder) {
  if (folderTree_) folderTree_->SelectPath(folder);
}

void CMainFrame::ListStartFolder(const std::string& folder) {
  const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(folder.c_str());
  if (!fileList_ || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SelectFolder(folder);
    return;
  }
  fileList_->SetFolder(folder.c_str());
  treeBehind_ = folder;
}

void CMainFrame::CatchUpTreeWithList() {
  if (treeBehind_.empty()) return;
  treeCatchingUp_ = true;
  SelectFolder(treeBehind_);
  treeCatchingUp_ = false;
  treeBehind_.clear();
  win::TraceStep("start: the tree caught up");
}

void CMainFrame::OnFolderSelected(const char* path) {
  // The tree reaching the start folder the list already shows (when it stops
  // short of it, at a folder that went meanwhile, the list follows the tree).
  if (treeCatchingUp_ && SamePath(path, treeBehind_, win::IsAnsiLeadByte)) return;
  if (fileList_) fileList_->SetFolder(path);
}

// The tree's Refresh selects its folder anew, and that selection lists it.
void CMainFrame::RefreshFolders() {
  if (folderTree_) folderTree_->Refresh();
}

bool CMainFrame::NewFolderInTree(const std::string& name) {
  return folderTree_ && folderTree_->NewFolder(name);
}

void CMainFrame::ShowPreview(const std::string& path) {
  if (preview_) preview_->SetPreview(path);
}

void CMainFrame::SetStatusText(const std::string& text) {
  SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
  UpdateWindow(statusBar_);
}

void CMainFrame::ShowContextMenu(POINT screen) {
  TrackPopupMenu(contextMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

bool CMainFrame::ExecuteCommand(int id) {
  if (fileList_ && fileList_->ExecuteCommand(id)) return true;
  return win::RunFromMap<CMainFrame>(*this, kFrameCommands, id);
}

bool CMainFrame::UpdateCommand(win::CommandUpdate& update) {
  if (fileList_ && fileList_->UpdateCommand(update)) return true;
  return win::UpdateFromMap<CMainFrame>(*this, kFrameCommands, update);
}

bool& CMainFrame::Shown(int barId) {
  switch (barId) {
    case ID_VIEW_FOLDERTREE: return dock_.showFolderTree;
    case ID_VIEW_PREVIEW: return dock_.showPreview;
    case ID_VIEW_TOOLBAR: return dock_.showToolbar;
    default: return dock_.showStatusBar;
  }
}

void CMainFrame::OnToggleBar(int id) {
  Shown(id) = !Shown(id);
  RecalcLayout();
}

void CMainFrame::OnUpdateToggleBar(win::CommandUpdate& update) { update.SetCheck(Shown(update.id())); }

void CMainFrame::OnAppExit(int) { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }
void CMainFrame::OnHelpIndex(int) { OpenHelpFile(); }
void CMainFrame::OnInformation(int) { CInfoDlg().RunModal(hwnd()); }

void CMainFrame::OnAppSetting(int) { RunAppSetupDialog(hwnd(), GetEnvSet()); }

void CMainFrame::OnTwainSelect(int) {
  if (scanner_) scanner_->SelectSource();
}

void CMainFrame::OnTwainInput(int) {
  EnvSet& settings = GetEnvSet();
  std::string folder = ChooseScanFolder(settings.chaSavFol, {[](const std::string& f) { return IsFolderWritable(f); },
                                                             [] { return SpecialFolder(CSIDL_PERSONAL); },
                                                             [] { return SpecialFolder(CSIDL_DESKTOP); },
                                                             ProgramFolder()});
  if (folder != settings.chaSavFol) lstrcpynA(settings.chaSavFol, folder.c_str(), sizeof settings.chaSavFol);
  SelectFolder(settings.chaSavFol);
  // A scan that did not start would otherwise keep both commands disabled.
  scanning_ = scanner_ && scanner_->Acquire(hwnd());
}

void CMainFrame::OnUpdateTwain(win::CommandUpdate& update) {
  update.Enable(ScannerCommandsEnabled(scanner_ && scanner_->TwainLoaded(), scanning_));
}

void CMainFrame::RecalcLayout() {
  if (toolbar_ == nullptr || statusBar_ == nullptr) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  DockMetrics metrics;
  metrics.toolbarHeight = static_cast<int>(HIWORD(SendMessageA(toolbar_, TB_GETBUTTONSIZE, 0, 0))) + scale_.Px(4);
  metrics.statusHeight = ControlHeight(statusBar_);
  rects_ = ComputeDockLayout(client.right, client.bottom, dock_, metrics, scale_);
  struct Placement {
    HWND window;
    bool shown;
    LayoutRect rect;
  };
  const Placement placements[] = {
      {toolbar_, dock_.showToolbar, rects_.toolbar},
      {statusBar_, dock_.showStatusBar, rects_.status},
      {folderTree_->hwnd(), dock_.showFolderTree, rects_.folderTree},
      {preview_->hwnd(), dock_.showPreview, rects_.preview},
      {fileList_->hwnd(), true, rects_.client},
  };
  HDWP moves = BeginDeferWindowPos(5);
  for (const Placement& p : placements) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (p.shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (moves != nullptr)
      moves = DeferWindowPos(moves, p.window, nullptr, p.rect.left, p.rect.top, p.rect.Width(), p.rect.Height(),
                             flags);
  }
  if (moves != nullptr) EndDeferWindowPos(moves);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void CMainFrame::LoadLayout() {
  RegistryProfileSection section(LayoutSection());
  DockState stored;
  stored.leftWidth = section.ReadInt("LeftWidth", stored.leftWidth);
  stored.treeHeight = section.ReadInt("FolderTreeHeight", stored.treeHeight);
  stored.showToolbar = section.ReadInt("ShowToolBar", 1) != 0;
  stored.showStatusBar = section.ReadInt("ShowStatusBar", 1) != 0;
  stored.showFolderTree = section.ReadInt("ShowFolderTree", 1) != 0;
  stored.showPreview = section.ReadInt("ShowPreview", 1) != 0;
  dock_ = SanitizeDockState(stored);
}

void CMainFrame::SaveLayout() const {
  RegistryProfileSection section(LayoutSection());
  section.WriteInt("LeftWidth", dock_.leftWidth);
  section.WriteInt("FolderTreeHeight", dock_.treeHeight);
  section.WriteInt("ShowToolBar", dock_.showToolbar);
  section.WriteInt("ShowStatusBar", dock_.showStatusBar);
  section.WriteInt("ShowFolderTree", dock_.showFolderTree);
  section.WriteInt("ShowPreview", dock_.showPreview);
}

bool CMainFrame::DropFolderAt(POINT screen, std::string& folder) {
  RECT r{};
  HWND list = fileList_ ? fileList_->DropWindow() : nullptr;
  if (list != nullptr && IsWindowVisible(list) && GetWindowRect(list, &r) && PtInRect(&r, screen)) {
    folder = fileList_->CurrentFolder();
    return !folder.empty();
  }
  HWND tree = folderTree_ ? folderTree_->GetTreeCtrl() : nullptr;
  if (tree != nullptr && IsWindowVisible(tree) && GetWindowRect(tree, &r) && PtInRect(&r, screen))
    return folderTree_->DragOver(screen, folder);
  return false;
}

HRESULT CMainFrame::PerformDrop(IDataObject* data, DWORD effect, const std::string& folder) {
  return fileList_->DropFiles(data, effect, folder);
}

void CMainFrame::EndDragFeedback() {
  if (folderTree_) folderTree_->DragLeave();
}

bool CMainFrame::OnNotify(NMHDR& header, LRESULT& result) {
  result = 0;
  if (header.idFrom == IDW_SCANNER) {
    if (header.code == ZV_SCAN_IMAGE) fileList_->StoreScannedImage(reinterpret_cast<ScanNotify&>(header).image);
    if (header.code == ZV_SCAN_ENDED) scanning_ = false;
    return true;
  }
  return OnToolTipText(header);
}

// The toolbar's tool tips ask for their texts.
bool CMainFrame::OnToolTipText(NMHDR& header) {
  if (header.code == TTN_GETDISPINFOA) {
    auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
    static std::string tip;  // must outlive the notification
    tip = texts_.ToolTip(static_cast<int>(header.idFrom));
    info.lpszText = const_cast<char*>(tip.c_str());
    return true;
  }
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    static std::wstring tip;
    tip = win::ToWide(texts_.ToolTip(static_cast<int>(header.idFrom)), CP_ACP);
    info.lpszText = const_cast<wchar_t*>(tip.c_str());
    return true;
  }
  return false;
}

bool CMainFrame::OnSetCursor() {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd(), &p);
  Splitter over = dragging_ != Splitter::None ? dragging_ : SplitterAt(rects_, p.x, p.y);
  if (over == Splitter::None) return false;
  SetCursor(LoadCursor(nullptr, over == Splitter::Column ? IDC_SIZEWE : IDC_SIZENS));
  return true;
}

void CMainFrame::OnSize(int, int) { RecalcLayout(); }

// Only menus, accelerators and toolbar buttons are commands: a child
// control's notification may carry a command's id with another code.
bool CMainFrame::OnCommand(int id, int code, HWND from) {
  if (!win::IsCommandMessage(code, from, toolbar_)) return false;
  win::RunEnabledCommand(*this, id);
  return true;
}

bool CMainFrame::OnMouse(UINT message, POINT p, UINT) {
  switch (message) {
    case WM_LBUTTONDOWN:
      dragging_ = SplitterAt(rects_, p.x, p.y);
      if (dragging_ != Splitter::None) SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (dragging_ != Splitter::None) {
        DragSplitter(dragging_, p.x, p.y, rects_, dock_, scale_);
        RecalcLayout();
        UpdateWindow(hwnd());
      }
      return true;
    case WM_LBUTTONUP:
      if (dragging_ != Splitter::None) ReleaseCapture();
      dragging_ = Splitter::None;
      return true;
    default:
      return false;
  }
}

// At the end of a Windows session the process may end as soon as this
// returns: the frame closes as at a normal exit (its panes write their
// settings back) and the record is saved now.
void CMainFrame::OnSessionEnd() {
  DestroyWindow(hwnd());
  SaveSettingsAtExit();
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      if (fileList_ && fileList_->hwnd() != nullptr) SetFocus(fileList_->hwnd());
      return 0;
    case WM_ZV_CATCH_UP_TREE:
      CatchUpTreeWithList();
      return 0;
    case WM_ZV_FIRST_RUN_SETUP:
      OnIdle();  // the toolbar shows which commands work before the dialog's own loop runs
      OnAppSetting(ID_TOOL_APPSETTING);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(win::Dpi::OfMessage(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) win::UpdateMenuItems(reinterpret_cast<HMENU>(wParam), *this);
      return 0;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd() && LOWORD(lParam) == HTCLIENT) {
        if (!OnSetCursor()) SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_CAPTURECHANGED:
      dragging_ = Splitter::None;
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) OnSessionEnd();
      return 0;
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace zv
