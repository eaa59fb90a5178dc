#pragma once
// What the benchmarks of the file list view share: a host that shows
// nothing, a clock in seconds, and draining the message queue.
#include <windows.h>

#include <string>

#include "browser/file_list_pane.h"

namespace zv::bench {

// The view's host: a benchmark shows no status text, menu or preview.
class QuietHost : public FileListHost {
  void ShowStatusText(const std::string&) override {}
  void ShowContextMenu(POINT) override {}
  void ShowPreview(const std::string&) override {}
  void RefreshFolders() override {}
  bool NewFolderInTree(const std::string&) override { return false; }
};

inline double Now() {
  LARGE_INTEGER counter{}, frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace zv::bench
