#include "mainwnd/tests/frame_fakes.h"

#include <commctrl.h>

namespace zv::test {

bool FakeFileList::CreatePane(HWND parent, int childId, FileListHost& paneHost) {
  host = &paneHost;
  RegisterClass("ZVFakeList", nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  if (!Create({.className = "ZVFakeList",
               .style = WS_CHILD | WS_VISIBLE,
               .parent = parent,
               .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId))}))
    return false;
  list_ = hwnd();  // the whole pane stands for the list control
  return true;
}

bool FakeFileList::ExecuteCommand(int id) {
  r_.offered.push_back(id);
  if (id < 32886 || id > 32889) return false;
  r_.ran.push_back(id);
  return true;
}

bool FakeFileList::UpdateCommand(win::CommandUpdate& update) {
  if (update.id() < 32886 || update.id() > 32889) return false;
  update.Enable(update.id() != 32888);  // nothing to paste
  return true;
}

bool FakeFolderTree::CreateContent() {
  tree_ = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd(), nullptr, nullptr, nullptr);
  return tree_ != nullptr;
}

void FakeFolderTree::LayoutContent(const RECT& c) {
  MoveWindow(tree_, c.left, c.top, c.right - c.left, c.bottom - c.top, TRUE);
}

FrameParts FakeParts(FrameRecord& record) {
  return {[&record] { return std::make_unique<FakeFileList>(record); },
          [&record] { return std::make_unique<FakeFolderTree>(record); },
          [] { return std::make_unique<CPreviewBar>(); },
          [&record] { return std::make_unique<FakeScanner>(record); }};
}

std::string MenuItemText(HMENU menu, int position) {
  char text[512] = "";
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

std::string ToolTipOf(HWND frame, int commandId) {
  NMTTDISPINFOA info{};
  info.hdr.hwndFrom = nullptr;
  info.hdr.idFrom = static_cast<UINT_PTR>(commandId);
  info.hdr.code = TTN_GETDISPINFOA;
  SendMessageA(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  if (info.lpszText != nullptr && !IS_INTRESOURCE(info.lpszText)) return info.lpszText;
  return info.szText;
}

}  // namespace zv::test
