// The main frame moved to a screen of another DPI (WM_DPICHANGED of a
// per-monitor aware program): Windows suggests the new rectangle, and the
// frame makes for the new scale what it made for the old one.
#include "mainwnd/main_frame.h"

#include <commctrl.h>

#include "app/app_services.h"
#include "mainwnd/frame_bars.h"
#include "win/window.h"

namespace zv {

void CMainFrame::OnDpiChanged(DisplayScale scale, const RECT* suggested) {
  if (scale == scale_ && suggested == nullptr) return;
  scale_ = scale;
  UseAppFontFor(scale.dpi);
  HFONT font = GetAppFont();
  // The toolbar's images have their size fixed when they are added: a new
  // toolbar with the strip of the new scale takes the old one's place.
  if (HWND toolbar = CreateFrameToolbar(hwnd(), scale)) {
    SetWindowTextA(toolbar, win::GetWindowTextString(toolbar_).c_str());
    DestroyWindow(toolbar_);
    toolbar_ = toolbar;
  }
  win::SetFontOnTree(statusBar_, font);
  folderTree_->SetScale(scale, font);
  preview_->SetScale(scale, font);
  win::SetFontOnTree(fileList_->hwnd(), font);
  fileList_->SetDisplayScale(scale);
  if (suggested != nullptr)
    SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  RecalcLayout();
}

}  // namespace zv
