#include "foldertree/tests/tree_fixture.h"

#include <shellapi.h>

#include "res/resource.h"
#include "win/text_convert.h"

namespace zv::test {

std::string Ansi(const char* utf8) { return win::Utf8ToAnsi(utf8); }

std::string SpecialPath(int csidl) {
  char path[MAX_PATH] = "";
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE)) return {};
  return path;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

ScratchFolder::ScratchFolder(const std::string& base) {
  static int counter = 0;
  for (;;) {
    name_ = "zvtree-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    path_ = base + (base.empty() || base.back() == '\\' ? "" : "\\") + name_;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot make a folder in " << base;
      break;
    }
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::string ScratchFolder::Make(const std::string& relative) const {
  std::string path = path_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    path += '\\';
    path.append(relative, start, end - start);
    CreateDirectoryA(path.c_str(), nullptr);
    start = end + 1;
  }
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  return path;
}

void RemoveTree(const std::string& path) {
  std::string from = path + '\0';  // a double-terminated list
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
}

bool TreeOwner::CreateOwner() {
  RegisterClass("ZVTreeOwner", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return Create({.className = "ZVTreeOwner",
                 .title = "tree owner",
                 .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                 .rect = {0, 0, 400, 600}});
}

LRESULT TreeOwner::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == ZVN_FOLDER_SELECTED) {
      const char* path = reinterpret_cast<FolderSelectedNotify*>(header)->path;
      notices.push_back(path != nullptr ? std::optional<std::string>(path) : std::nullopt);
      headers.push_back(*header);
      wParams.push_back(wParam);
      return 0;
    }
  }
  return Window::OnMessage(message, wParam, lParam);
}

CountingMalloc::CountingMalloc() { SHGetMalloc(&real_); }

HRESULT CountingMalloc::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IMalloc) {
    *object = static_cast<IMalloc*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

void CountingMalloc::Free(void* p) {
  if (p != nullptr) ++frees;
  real_->Free(p);
}

void TreeOwner::Forget() {
  notices.clear();
  headers.clear();
  wParams.clear();
}

void FolderTreeTest::SetUpTestSuite() {
  OleInitialize(nullptr);
  sharedOwner_ = std::make_unique<TreeOwner>();
  ASSERT_TRUE(sharedOwner_->CreateOwner());
}

void FolderTreeTest::TearDownTestSuite() {
  sharedOwner_.reset();
  PumpMessages();
  OleUninitialize();
}

void FolderTreeTest::SetUp() {
  ASSERT_NE(owner_.hwnd(), nullptr);
  owner_.Forget();
}

void FolderTreeTest::TearDown() {
  window_.reset();
  PumpMessages();
}

void FolderTreeTest::OpenTree(IMalloc* allocator, const char* initialPath) {
  window_ = std::make_unique<FolderTreeWnd>();
  ASSERT_TRUE(window_->CreateTree({.owner = owner_.hwnd(),
                                   .id = 1000,
                                   .initialPath = initialPath,
                                   .rect = {0, 0, 380, 560},
                                   .allocator = allocator}));
  PumpMessages();
  ASSERT_NE(Root(), nullptr) << "built at the first size message";
}

HTREEITEM FolderTreeTest::Root() const { return TreeView_GetRoot(tree()); }
HTREEITEM FolderTreeTest::Selected() const { return TreeView_GetSelection(tree()); }

std::vector<HTREEITEM> FolderTreeTest::Children(HTREEITEM item) const {
  std::vector<HTREEITEM> children;
  for (HTREEITEM c = TreeView_GetChild(tree(), item); c != nullptr; c = TreeView_GetNextSibling(tree(), c))
    children.push_back(c);
  return children;
}

std::string FolderTreeTest::Text(HTREEITEM item) const {
  char text[MAX_PATH * 2] = "";
  TVITEMA info{};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

LPCITEMIDLIST FolderTreeTest::Data(HTREEITEM item) const {
  TVITEMA info{};
  info.mask = TVIF_PARAM | TVIF_HANDLE;
  info.hItem = item;
  SendMessageA(tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  return reinterpret_cast<LPCITEMIDLIST>(info.lParam);
}

HTREEITEM FolderTreeTest::ChildNamed(HTREEITEM item, const std::string& text) const {
  for (HTREEITEM c : Children(item))
    if (Text(c) == text) return c;
  return nullptr;
}

HTREEITEM FolderTreeTest::RootChildOf(int csidl) const {
  UniquePidl ids = SpecialFolderIds(csidl);
  if (!ids) return nullptr;
  for (HTREEITEM c : Children(Root()))
    if (SameFirstId(Data(c), ids.get())) return c;
  return nullptr;
}

std::string FolderTreeTest::SelectedPath() const {
  std::string path;
  return window_->GetSelectedPath(path) ? path : "<none>";
}

void FolderTreeTest::ExpandByUser(HTREEITEM item) {
  TreeView_Expand(tree(), item, TVE_EXPAND);
  PumpMessages();
}

bool FolderTreeTest::IsPlaceholder(HTREEITEM item) const { return Text(item) == "Dummy" && Data(item) == nullptr; }

std::vector<HTREEITEM> FolderTreeTest::AllItems() const {
  std::vector<HTREEITEM> items;
  std::vector<HTREEITEM> pending{Root()};
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    if (item == nullptr) continue;
    items.push_back(item);
    for (HTREEITEM c : Children(item)) pending.push_back(c);
  }
  return items;
}

}  // namespace zv::test
