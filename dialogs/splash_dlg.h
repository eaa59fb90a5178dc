#pragma once
// The start picture shown while a browser copy starts: dialog 173 with one
// picture control, centred topmost on the primary screen, exactly as large
// as the picture.
#include "win/dialog.h"

namespace zv {

class CSplashDlg : public win::Dialog {
 public:
  CSplashDlg();

 protected:
  bool OnInitDialog() override;
};

}  // namespace zv
