#pragma once
// Scoped owners of device contexts and of objects selected into them: each
// gives back what it took on every path out of the scope. And what a paint
// has to cover (UpdateRects).
#include <windows.h>

#include <cstddef>
#include <vector>

namespace zv::win {

// The header of a 32-bit DIB of width x height whose rows run top down.
inline BITMAPINFO TopDownDib32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// GetDC / ReleaseDC; a null window gives the screen.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The rectangles that make up the window's update region, in client
// coordinates; call before BeginPaint, which empties it. More than `most`
// of them, or a region that cannot be read: its bounding rectangle alone.
// Empty: nothing to paint.
inline std::vector<RECT> UpdateRects(HWND window, size_t most) {
  std::vector<RECT> rects;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (region == nullptr) return rects;
  const int kind = GetUpdateRgn(window, region, FALSE);
  RECT bounds{};
  if (kind == SIMPLEREGION || kind == COMPLEXREGION) {
    GetRgnBox(region, &bounds);
    const DWORD bytes = GetRegionData(region, 0, nullptr);
    std::vector<char> data(bytes >= sizeof(RGNDATAHEADER) ? bytes : 0);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (!data.empty() && GetRegionData(region, bytes, header) == bytes && header->rdh.nCount <= most &&
        header->rdh.nCount * sizeof(RECT) <= bytes - header->rdh.dwSize) {
      const RECT* first = reinterpret_cast<const RECT*>(data.data() + header->rdh.dwSize);
      rects.assign(first, first + header->rdh.nCount);
    } else {
      rects.push_back(bounds);
    }
  }
  DeleteObject(region);
  return rects;
}

// BeginPaint / EndPaint of a WM_PAINT.
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDC() { EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }
  const RECT& dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A memory DC compatible with `like` (null: the screen).
class MemoryDC {
 public:
  explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a DC for the scope and puts the previous one back,
// so that the object can be deleted afterwards.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace zv::win
