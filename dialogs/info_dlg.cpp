#include "dialogs/info_dlg.h"

#include <shellapi.h>

#include "app/app_paths.h"
#include "app/ui_text_table.h"
#include "app/app_services.h"
#include "res/resource.h"
#include "win/gdi.h"
#include "win/window.h"

namespace zv {

namespace {
constexpr char kSection[] = "InformationDialog";

RECT ChildRect(HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

void OpenWithShell(const std::string& target) {
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenHelpFile() { OpenWithShell(ProgramFolder() + "\\ZVHelp.chm"); }

int LinkFontHeight(int points) { return points * 10 * 15 / 100; }
int CentredLeft(int clientWidth, int width) { return (clientWidth - width - 1) / 2; }

CInfoDlg::CInfoDlg(Opener open) : win::Dialog(IDD_INFORMATION), open_(std::move(open)) {}

void CInfoDlg::LoadTexts() {
  CUiTextTable texts;
  title = texts.GetText(kSection, "DialogTitle", "アプリケーションの情報");
  versionLabel = texts.GetText(kSection, "Version", "バージョン");
  companyName = texts.GetText(kSection, "CompanyName", "ZAMO Kivon software");
  productPage = texts.GetText(kSection, "ProductPage", "製品紹介のページ");
  companyUrl = texts.GetText(kSection, "CompanyURL", "https://www.example.com/");
  productUrl = texts.GetText(kSection, "ProductURL", "https://www.example.com/zviewer/");
  okText = texts.GetText(kSection, "OK", "ＯＫ");
}

bool CInfoDlg::OnInitDialog() {
  hoverLink = 0;
  LoadTexts();
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  if (HFONT font = GetAppFont()) {
    for (HWND w : {hwnd(), Item(IDC_INFO_VERSION), Item(IDC_INFO_TEXT), Item(IDOK)})
      SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  FontSetting setting = GetFontSetting();
  linkFont.reset(CreateFontA(LinkFontHeight(setting.points), 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             setting.faceName.c_str()));
  for (int id : {IDC_INFO_COMPANY_LINK, IDC_INFO_PRODUCT_LINK})
    SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont.get()), FALSE);

  SetWindowTextA(hwnd(), title.c_str());
  SetWindowTextA(Item(IDC_INFO_VERSION), (versionLabel + " " + GetVersionString()).c_str());
  SetWindowTextA(Item(IDC_INFO_COMPANY_LINK), companyName.c_str());
  SetWindowTextA(Item(IDC_INFO_PRODUCT_LINK), productPage.c_str());
  SetWindowTextA(Item(IDOK), okText.c_str());
  LayOut();
  return true;
}

void CInfoDlg::LayOut() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  auto centre = [&](HWND child, int width, int height) {
    RECT r = ChildRect(hwnd(), child);
    MoveWindow(child, CentredLeft(client.right, width), r.top, width, height, TRUE);
  };
  for (int id : {IDC_INFO_PICTURE, IDC_INFO_VERSION}) {
    RECT r = ChildRect(hwnd(), Item(id));
    centre(Item(id), r.right - r.left, r.bottom - r.top);
  }
  for (int id : {IDC_INFO_COMPANY_LINK, IDC_INFO_PRODUCT_LINK}) {
    HWND link = Item(id);
    const std::string text = win::GetWindowTextString(link) + "  ";
    SIZE extent{};
    {
      win::WindowDC dc(link);
      win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)));
      GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    RECT r = ChildRect(hwnd(), link);
    centre(link, extent.cx, r.bottom - r.top + 1);
  }
}

int CInfoDlg::LinkAt(POINT client) const {
  HWND child = ChildWindowFromPointEx(hwnd(), client, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED | CWP_SKIPTRANSPARENT);
  if (child == Item(IDC_INFO_PRODUCT_LINK)) return 2;
  if (child == Item(IDC_INFO_COMPANY_LINK)) return 1;
  return 0;
}

void CInfoDlg::OnMouseMove(POINT client) {
  const BYTE over = static_cast<BYTE>(LinkAt(client));
  if (over != hoverLink) {
    hoverLink = over;
    for (int id : {IDC_INFO_COMPANY_LINK, IDC_INFO_PRODUCT_LINK}) InvalidateRect(Item(id), nullptr, TRUE);
  }
  SetCursorById(hoverLink != 0 ? IDC_LINK_HAND : -1);
}

void CInfoDlg::OnLButtonUp(WPARAM keys, POINT client) {
  // Only a plain click opens a link: no Shift, Ctrl or other button held.
  if ((keys & (MK_SHIFT | MK_CONTROL | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2)) != 0) return;
  switch (LinkAt(client)) {
    case 2: open_(productUrl); break;
    case 1: open_(companyUrl); break;
    default: break;
  }
}

bool CInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(point);
      return true;
    case WM_LBUTTONUP:
      OnLButtonUp(wParam, point);
      return true;
    case WM_SETCURSOR:
      if (hoverLink == 0) return false;
      SetCursorById(IDC_LINK_HAND);
      result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC: {
      HWND control = reinterpret_cast<HWND>(lParam);
      result = DefWindowProcA(hwnd(), message, wParam, lParam);  // the default brush and colours first
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (control == Item(IDC_INFO_COMPANY_LINK)) SetTextColor(dc, hoverLink == 1 ? RGB(0, 0, 255) : RGB(0, 0, 0));
      if (control == Item(IDC_INFO_PRODUCT_LINK)) SetTextColor(dc, hoverLink == 2 ? RGB(0, 0, 255) : RGB(0, 0, 0));
      if (result == 0) result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zv
