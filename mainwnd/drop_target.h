#pragma once
// The OLE drop target of the main frame. It considers only data that offers
// the CF_HDROP file list and asks its host where a drop at a point would go.
#include <windows.h>

#include <ole2.h>

#include <string>

namespace zv {

class DropHost {
 public:
  virtual ~DropHost() = default;
  // The folder a drop at `screen` lands in; false when nothing there takes files.
  virtual bool DropFolderAt(POINT screen, std::string& folder) = 0;
  // Performs the drop: S_OK when the files were copied or moved, S_FALSE
  // when nothing (or not all of a move) was done.
  virtual HRESULT PerformDrop(IDataObject* data, DWORD effect, const std::string& folder) = 0;
  // Whether `data` comes from the file list's own drag, whose files the
  // list moves itself.
  virtual bool IsOwnDrag(IDataObject* data) = 0;
  // Ends any drag feedback (the folder tree's).
  virtual void EndDragFeedback() = 0;
};

// MOVE with Shift held in the drag's key state, COPY otherwise, each only
// when the source allows it (`allowed`) or the drag is the file list's own
// (which offers other programs a copy only); NONE when refused.
DWORD DropEffectFor(bool accepted, DWORD keyState, DWORD allowed, bool ownDrag);
bool OffersFileList(IDataObject* data);

class CFrameDropTarget : public IDropTarget {
 public:
  explicit CFrameDropTarget(DropHost& host) : host_(host) {}
  virtual ~CFrameDropTarget() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 private:
  DropHost& host_;
  LONG references_ = 1;
  bool fileList_ = false;  // the data being dragged offers CF_HDROP
  bool ownDrag_ = false;   // ... and is the file list's own drag
};

}  // namespace zv
