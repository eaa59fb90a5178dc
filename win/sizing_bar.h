#pragma once
// A bar docked at the side of a frame: a caption strip with a gripper and a
// title over its content. Our own stand-in for a toolkit's sizing control
// bar; the frame that owns it places it and draws the splitters.
#include <windows.h>

#include <string>

#include "core/display/display_scale.h"
#include "win/window.h"

namespace zv::win {

class SizingBar : public Window {
 public:
  bool CreateBar(HWND parent, int barId, const std::string& title, HFONT font);
  const std::string& title() const { return title_; }
  int CaptionHeight() const;
  // A new screen scale and the font made for it: the caption and the content follow.
  void SetScale(DisplayScale scale, HFONT font);
  // The area below the caption, in the bar's client coordinates.
  RECT ContentRect() const;

 protected:
  // Creates the bar's content as a child of the bar (called once by CreateBar).
  virtual bool CreateContent() { return true; }
  // Gives the content the area below the caption.
  virtual void LayoutContent(const RECT& /*content*/) {}
  bool OnPaint() override;
  void OnSize(int width, int height) override;
  HFONT font() const { return font_; }

 private:
  std::string title_;
  HFONT font_ = nullptr;
  DisplayScale scale_;
};

}  // namespace zv::win
