#pragma once
// Owners of COM objects and COM memory, and of the thread's OLE session.
#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include "win/handles.h"

namespace zv::win {

using Microsoft::WRL::ComPtr;

// Memory handed out by COM's task allocator (shell item id lists, strings).
template <class T>
struct CoTaskMemTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type memory) { CoTaskMemFree(memory); }
};
template <class T>
using UniqueCoTaskMem = UniqueHandle<CoTaskMemTraits<T>>;

// OLE for the scope (clipboard, drag and drop, the shell's COM objects); the
// uninitialisation is paired only with a successful initialisation.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// COM for the scope of a thread that is not the user-interface thread
// (COINIT_MULTITHREADED for a worker). A thread that already runs COM in
// another model keeps it (RPC_E_CHANGED_MODE): COM is usable, and nothing is
// uninitialised at the end.
class ComSession {
 public:
  explicit ComSession(DWORD model) {
    const HRESULT hr = CoInitializeEx(nullptr, model);
    paired_ = SUCCEEDED(hr);
    usable_ = paired_ || hr == RPC_E_CHANGED_MODE;
  }
  ~ComSession() {
    if (paired_) CoUninitialize();
  }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  bool ok() const { return usable_; }

 private:
  bool paired_;
  bool usable_;
};

}  // namespace zv::win
