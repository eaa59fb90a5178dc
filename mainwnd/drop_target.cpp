#include "mainwnd/drop_target.h"

#include "win/diagnostics.h"

namespace zv {

namespace {

// OLE calls these from the drag source's loop: no exception may unwind into
// it, so each call answers E_UNEXPECTED (and no effect) when one escapes.
template <class Call>
HRESULT Guarded(DWORD* effect, Call call) {
  try {
    return call();
  } catch (...) {
    win::LogCaughtException("the drop target");
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

}  // namespace

DWORD DropEffectFor(bool accepted, DWORD keyState, DWORD allowed, bool ownDrag) {
  if (!accepted) return DROPEFFECT_NONE;
  // The list's own drag offers other programs a copy only; here the list
  // moves its files itself, so Shift moves them.
  if ((keyState & MK_SHIFT) != 0 && ((allowed & DROPEFFECT_MOVE) != 0 || ownDrag)) return DROPEFFECT_MOVE;
  return (allowed & DROPEFFECT_COPY) != 0 || ownDrag ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

bool OffersFileList(IDataObject* data) {
  if (data == nullptr) return false;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data->QueryGetData(&format) == S_OK;
}

HRESULT CFrameDropTarget::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// The frame owns the object; counting only keeps OLE's calls balanced.
ULONG CFrameDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
ULONG CFrameDropTarget::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

HRESULT CFrameDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  fileList_ = OffersFileList(data);
  ownDrag_ = fileList_ && host_.IsOwnDrag(data);
  return DragOver(keyState, point, effect);
}

HRESULT CFrameDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  return Guarded(effect, [&] {
    std::string folder;
    *effect = DropEffectFor(fileList_ && host_.DropFolderAt({point.x, point.y}, folder), keyState, *effect, ownDrag_);
    return S_OK;
  });
}

HRESULT CFrameDropTarget::DragLeave() {
  fileList_ = false;
  ownDrag_ = false;
  return Guarded(nullptr, [&] {
    host_.EndDragFeedback();
    return S_OK;
  });
}

HRESULT CFrameDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  const HRESULT result = Guarded(effect, [&] {
    std::string folder;
    const bool accepted = OffersFileList(data) && host_.DropFolderAt({point.x, point.y}, folder);
    *effect = DropEffectFor(accepted, keyState, *effect, host_.IsOwnDrag(data));
    if (*effect == DROPEFFECT_NONE) return S_OK;
    const HRESULT done = host_.PerformDrop(data, *effect, folder);
    // Only a transfer that was done reports its effect: a source that sees
    // MOVE deletes its files.
    if (done != S_OK) *effect = DROPEFFECT_NONE;
    return FAILED(done) ? done : S_OK;
  });
  fileList_ = false;
  ownDrag_ = false;
  Guarded(nullptr, [&] {
    host_.EndDragFeedback();
    return S_OK;
  });
  return result;
}

}  // namespace zv
