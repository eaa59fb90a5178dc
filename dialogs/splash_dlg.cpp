#include "dialogs/splash_dlg.h"

#include "res/resource.h"

namespace zv {

CSplashDlg::CSplashDlg() : Dialog(IDD_SPLASH) {}

bool CSplashDlg::OnInitDialog() {
  HWND picture = Item(IDC_SPLASH_PICTURE);
  RECT pictureRect{};
  GetWindowRect(picture, &pictureRect);
  int width = pictureRect.right - pictureRect.left;
  int height = pictureRect.bottom - pictureRect.top;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(hwnd(), HWND_TOPMOST, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height, 0);
  SetWindowPos(picture, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Start-up sleeps while the splash is up and pumps no messages: paint now.
  ShowWindow(hwnd(), SW_SHOWNA);
  UpdateWindow(hwnd());
  return true;
}

}  // namespace zv
