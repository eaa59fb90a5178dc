#pragma once
// What the main frame needs of the TWAIN connection (fileops/twain_connection.h
// is the program's). It reports to its owner with WM_NOTIFY from id
// IDW_SCANNER (ZV_SCAN_IMAGE, ZV_SCAN_ENDED).
#include <windows.h>

namespace zv {

// The WM_NOTIFY data of ZV_SCAN_IMAGE: the delivered image.
struct ScanNotify {
  NMHDR header;
  void* image;  // HGLOBAL of a packed DIB; the receiver frees it
};

class ScannerConnection {
 public:
  virtual ~ScannerConnection() = default;
  virtual void Start(HWND owner, int notifyId) = 0;
  virtual void Shutdown() = 0;
  // Sees every message of the loop first; true consumes it.
  virtual bool PreTranslate(MSG& msg) = 0;
  // True when TWAIN_32.DLL was loaded at Start.
  virtual bool TwainLoaded() const = 0;
  // Lets the user pick the source (the default source when that fails).
  virtual void SelectSource() = 0;
  // Opens the selected source with its own user interface, modal to `owner`.
  // False when the source could not be opened or enabled: then nothing is
  // left open and no end of the scan will be reported.
  virtual bool Acquire(HWND owner) = 0;
};

}  // namespace zv
