// The information dialog: its layout, the link font, hover colours and when
// a click opens a link.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "core/app/text_keys.h"
#include "dialogs/info_dlg.h"
#include "res/resource.h"

namespace zv {
namespace {

RECT ChildRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
POINT CentreOf(HWND dialog, int id) {
  RECT r = ChildRect(dialog, id);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

class InfoDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(Ini().c_str()); }
  void TearDown() override {
    dialog_.reset();
    DeleteFileA(Ini().c_str());
  }
  static std::string Ini() { return ProgramFolder() + "\\String.ini"; }
  HWND Open() {
    dialog_ = std::make_unique<CInfoDlg>([this](const std::string& url) { opened_.push_back(url); });
    EXPECT_TRUE(dialog_->CreateModeless(nullptr));
    return dialog_->hwnd();
  }
  COLORREF TextColourOf(HWND dlg, int id) {
    HDC dc = GetDC(GetDlgItem(dlg, id));
    SendMessageA(dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    COLORREF colour = GetTextColor(dc);
    ReleaseDC(GetDlgItem(dlg, id), dc);
    return colour;
  }
  std::unique_ptr<CInfoDlg> dialog_;
  std::vector<std::string> opened_;
};

TEST_F(InfoDlgTest, LinksAreAsWideAsTheirTextAndEverythingIsCentred) {
  // A long maker name widens its link.
  WritePrivateProfileStringA("InformationDialog", StoredTextKey("CompanyName").c_str(),
                             "ZAMO Kivon software, makers of copyboards", Ini().c_str());
  HWND dlg = Open();
  RECT client{};
  GetClientRect(dlg, &client);
  // Centred: the margins left and right (negative for a link wider than the
  // dialog) differ by two pixels at most.
  for (int id : {IDC_INFO_PICTURE, IDC_INFO_VERSION, IDC_INFO_COMPANY_LINK, IDC_INFO_PRODUCT_LINK}) {
    RECT r = ChildRect(dlg, id);
    EXPECT_GT(r.right - r.left, 0) << id;
    EXPECT_LE(std::abs((client.right - r.right) - r.left), 2) << id;
  }
  HWND link = GetDlgItem(dlg, IDC_INFO_COMPANY_LINK);
  HDC dc = GetDC(link);
  SelectObject(dc, dialog_->LinkFont());
  SIZE extent{};
  const std::string text = "ZAMO Kivon software, makers of copyboards  ";
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  ReleaseDC(link, dc);
  RECT r = ChildRect(dlg, IDC_INFO_COMPANY_LINK);
  EXPECT_EQ(r.right - r.left, extent.cx);
  EXPECT_GT(extent.cx, 150);

  LOGFONTA font{};
  GetObjectA(dialog_->LinkFont(), sizeof font, &font);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), dialog_->LinkFont());

  char version[128] = "";
  GetDlgItemTextA(dlg, IDC_INFO_VERSION, version, sizeof version);
  EXPECT_EQ(std::string(version).rfind(" 2.1.1.0"), std::string(version).size() - 8) << version;
}

TEST_F(InfoDlgTest, HoverTurnsTheLinkBlueAndPlainClicksOpenIt) {
  HWND dlg = Open();
  EXPECT_EQ(TextColourOf(dlg, IDC_INFO_PRODUCT_LINK), RGB(0, 0, 0));
  SendMessageA(dlg, WM_MOUSEMOVE, 0, At(CentreOf(dlg, IDC_INFO_PRODUCT_LINK)));
  EXPECT_EQ(dialog_->HoveredLink(), 2);
  EXPECT_EQ(TextColourOf(dlg, IDC_INFO_PRODUCT_LINK), RGB(0, 0, 255));
  // Straight onto the other link: one turns black, the other blue, in one step.
  SendMessageA(dlg, WM_MOUSEMOVE, 0, At(CentreOf(dlg, IDC_INFO_COMPANY_LINK)));
  EXPECT_EQ(dialog_->HoveredLink(), 1);
  EXPECT_EQ(TextColourOf(dlg, IDC_INFO_PRODUCT_LINK), RGB(0, 0, 0));
  EXPECT_EQ(TextColourOf(dlg, IDC_INFO_COMPANY_LINK), RGB(0, 0, 255));
  SendMessageA(dlg, WM_MOUSEMOVE, 0, At(CentreOf(dlg, IDOK)));
  EXPECT_EQ(dialog_->HoveredLink(), 0);

  SendMessageA(dlg, WM_LBUTTONUP, MK_SHIFT, At(CentreOf(dlg, IDC_INFO_PRODUCT_LINK)));
  SendMessageA(dlg, WM_LBUTTONUP, MK_CONTROL, At(CentreOf(dlg, IDC_INFO_COMPANY_LINK)));
  SendMessageA(dlg, WM_LBUTTONUP, MK_RBUTTON, At(CentreOf(dlg, IDC_INFO_COMPANY_LINK)));
  EXPECT_TRUE(opened_.empty()) << "a modifier or another button held: nothing opens";
  SendMessageA(dlg, WM_LBUTTONUP, 0, At(CentreOf(dlg, IDC_INFO_PRODUCT_LINK)));
  SendMessageA(dlg, WM_LBUTTONUP, 0, At(CentreOf(dlg, IDC_INFO_COMPANY_LINK)));
  SendMessageA(dlg, WM_LBUTTONUP, 0, At(CentreOf(dlg, IDC_INFO_VERSION)));
  EXPECT_EQ(opened_, (std::vector<std::string>{"https://www.example.com/zviewer/", "https://www.example.com/"}));
  EXPECT_TRUE(IsWindow(dlg)) << "the dialog stays open";
}

}  // namespace
}  // namespace zv
