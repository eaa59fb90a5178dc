#include "fileops/file_transfer.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <new>

#include "core/fileops/drop_files.h"
#include "win/text_convert.h"

namespace zv {

namespace {

constexpr FORMATETC kFileListFormat{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

HGLOBAL CopyToGlobal(const std::vector<uint8_t>& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, bytes.size());
  if (memory == nullptr) return nullptr;
  void* at = GlobalLock(memory);
  if (at == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(at, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  return memory;
}

std::u16string AnsiToUtf16(std::string_view path) {
  const std::wstring wide = win::ToWide(path, CP_ACP);
  return std::u16string(wide.begin(), wide.end());
}

// The exact ANSI form of a UTF-16 name, or empty when there is none.
std::string ExactAnsi(const std::u16string& name) {
  const std::wstring wide(name.begin(), name.end());
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return {};
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), length,
                      nullptr, &usedDefault);
  return usedDefault ? std::string() : ansi;
}

class FileListData : public IDataObject {
 public:
  explicit FileListData(std::vector<uint8_t> block) : block_(std::move(block)) {}
  virtual ~FileListData() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    if (const HRESULT offered = QueryGetData(format); offered != S_OK) return offered;
    // Every taker gets its own copy; the clipboard keeps the one it takes.
    HGLOBAL copy = CopyToGlobal(block_);
    if (copy == nullptr) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (format == nullptr) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &kFileListFormat, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<uint8_t> block_;
  std::atomic<ULONG> references_{1};
};

// The drag ends when the left button is let go; Escape cancels it.
class LeftButtonDropSource : public IDropSource {
 public:
  virtual ~LeftButtonDropSource() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack of the drag.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keyState & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

HGLOBAL MakeDropFilesMedium(const std::vector<std::string>& paths) {
  try {
    return CopyToGlobal(BuildDropFiles(paths, AnsiToUtf16));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::vector<std::string> ReadDropFilesBlock(HGLOBAL block) {
  std::vector<std::string> paths;
  if (block == nullptr) return paths;
  const SIZE_T size = GlobalSize(block);
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
  if (bytes == nullptr) return paths;
  try {
    const DroppedNames names = ParseDropFiles(bytes, size);
    GlobalUnlock(block);
    if (names.wide) {
      for (const std::u16string& name : names.wideNames) {
        std::string path = ExactAnsi(name);
        if (!path.empty() && path.size() <= kMaxDropNameLength) paths.push_back(std::move(path));
      }
    } else {
      paths = names.narrowNames;
    }
  } catch (const std::bad_alloc&) {
    GlobalUnlock(block);
    paths.clear();
  }
  return paths;
}

std::vector<std::string> ReadDroppedPaths(IDataObject* data) {
  if (data == nullptr) return {};
  FORMATETC format = kFileListFormat;
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return {};
  std::vector<std::string> paths;
  if (medium.tymed == TYMED_HGLOBAL) paths = ReadDropFilesBlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return paths;
}

win::ComPtr<IDataObject> MakeFileListData(const std::vector<std::string>& paths) {
  win::ComPtr<IDataObject> data;
  try {
    data.Attach(new FileListData(BuildDropFiles(paths, AnsiToUtf16)));
  } catch (const std::bad_alloc&) {
    data.Reset();
  }
  return data;
}

DWORD DragFilesOut(IDataObject* data) {
  if (data == nullptr) return DROPEFFECT_NONE;
  LeftButtonDropSource source;
  DWORD effect = DROPEFFECT_NONE;
  if (DoDragDrop(data, &source, DROPEFFECT_COPY, &effect) != DRAGDROP_S_DROP) return DROPEFFECT_NONE;
  return effect;
}

}  // namespace zv
