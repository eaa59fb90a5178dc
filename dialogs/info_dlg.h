#pragma once
// The information dialog (template 100): program picture, version line and
// two hyperlinks, the maker's site and the product page. And the help command.
#include <windows.h>

#include <functional>
#include <string>

#include "win/dialog.h"
#include "win/handles.h"

namespace zv {

// Opens "ZVHelp.chm" beside the program through the shell; a missing file is
// left to the shell.
void OpenHelpFile();
// ShellExecuteA with "open" and the normal show state.
void OpenWithShell(const std::string& target);

class CInfoDlg : public win::Dialog {
 public:
  using Opener = std::function<void(const std::string&)>;
  explicit CInfoDlg(Opener open = OpenWithShell);

  // 0 none, 1 the maker's link (1055), 2 the product page link (1054).
  BYTE HoveredLink() const { return hoverLink; }
  HFONT LinkFont() const { return linkFont.get(); }

 protected:
  bool OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void LoadTexts();
  void LayOut();
  void OnMouseMove(POINT client);
  void OnLButtonUp(WPARAM keys, POINT client);
  int LinkAt(POINT client) const;

  BYTE hoverLink = 0;
  win::UniqueFont linkFont;
  std::string title, versionLabel, companyName, productPage, companyUrl, productUrl, okText;
  Opener open_;
};

// The link font's height for a UI font of `points` points: 15 per 100 tenths.
int LinkFontHeight(int points);
// The left edge that centres a control of `width` in a client area of `clientWidth`.
int CentredLeft(int clientWidth, int width);

}  // namespace zv
