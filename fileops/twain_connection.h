#pragma once
// The program's own connection to TWAIN sources through the source manager
// TWAIN_32.DLL. It lives as long as the main frame's window: the frame hands
// it every message of its loop while a source is enabled, and it sends each
// acquired image (a packed DIB in a global memory block the frame then owns)
// and the end of a scan back as WM_NOTIFY.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/fileops/scan_dib.h"
#include "fileops/scanner_connection.h"
#include "fileops/twain_protocol.h"

namespace zv {

class TwainConnection : public ScannerConnection {
 public:
  TwainConnection();
  ~TwainConnection() override;
  TwainConnection(const TwainConnection&) = delete;
  TwainConnection& operator=(const TwainConnection&) = delete;

  void Start(HWND owner, int notifyId) override;
  void Shutdown() override;
  bool PreTranslate(MSG& msg) override;
  bool TwainLoaded() const override { return entry_ != nullptr; }
  void SelectSource() override;
  bool Acquire(HWND owner) override;

  // The default source's product name, or empty.
  std::string DefaultSourceName();
  // The source the next scan opens (Id 0 and no name: the default source).
  const twain::Identity& source() const { return source_; }

 private:
  uint16_t Call(twain::Identity* dest, uint32_t group, uint16_t dat, uint16_t msg, void* data);
  bool OpenManager();
  void CloseManager();
  bool OpenSource();
  void CloseSource();
  bool EnableSource(HWND parent);
  void DisableSource();
  void CloseAll();

  void Transfer();
  // True when the source ended the scan itself (no image pending any more).
  bool NativeTransfers();
  bool FileTransfers();
  bool MemoryTransfers();
  bool MemoryStrips(std::vector<uint8_t>& strip, ScanRowGatherer& rows);
  ScanImage ShapeOf(const twain::ImageInfo& info);
  std::vector<uint8_t> ColoursOf(ScanPixelType type);
  // MSG_ENDXFER: the images still pending; nothing when the call failed.
  std::optional<uint16_t> EndTransfer();
  void Abandon();
  void SendImage(HGLOBAL dib);
  void SendEnded();

  HMODULE module_ = nullptr;
  twain::DsmEntryProc entry_ = nullptr;
  HWND owner_ = nullptr;
  int notifyId_ = 0;
  twain::Identity app_{};
  twain::Identity source_{};
  twain::UserInterface ui_{};
  bool managerOpen_ = false;
  bool sourceOpen_ = false;
  bool sourceEnabled_ = false;
};

}  // namespace zv
