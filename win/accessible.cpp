#include "win/accessible.h"

#include <new>

namespace zv::win {

// The IAccessible of one window's client area. Children are simple elements:
// get_accChild answers S_FALSE and the client asks this object about them
// by child id. IDispatch is not offered beyond the vtable: clients call the
// IAccessible methods (the marshaller does too).
class WindowAccessible final : public IAccessible {
 public:
  WindowAccessible(HWND window, AccessibleSource& source) : window_(window), source_(&source) {}

  void Disconnect() {
    if (source_ == nullptr) return;
    source_ = nullptr;
    window_ = nullptr;
    // Cuts off clients in other processes (their stubs), so they hold no reference here.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: not offered (no type information).
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    *count = source_->ItemCount();
    return S_OK;
  }
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    long item = 0;
    if (const HRESULT hr = ItemOf(child, item); hr != S_OK) return hr;
    return item < 0 ? E_INVALIDARG : S_FALSE;  // a simple element
  }
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [this](long item) { return item < 0 ? source_->AccessibleName() : source_->ItemName(item); });
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, value, [this](long item) { return item < 0 ? source_->AccessibleValue() : std::wstring(); });
  }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
    return Text(child, text, [this](long item) { return item < 0 ? std::wstring() : source_->ItemDescription(item); });
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    long item = 0;
    if (const HRESULT hr = AnswerFor(child, role, item); hr != S_OK) return hr;
    role->vt = VT_I4;
    role->lVal = item < 0 ? source_->AccessibleRole() : ROLE_SYSTEM_LISTITEM;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
    long item = 0;
    if (const HRESULT hr = AnswerFor(child, state, item); hr != S_OK) return hr;
    state->vt = VT_I4;
    if (item >= 0) {
      state->lVal = source_->ItemState(item);
    } else {
      state->lVal = STATE_SYSTEM_FOCUSABLE;
      if (GetFocus() == window_) state->lVal |= STATE_SYSTEM_FOCUSED;
      if (!IsWindowVisible(window_)) state->lVal |= STATE_SYSTEM_INVISIBLE;
    }
    return S_OK;
  }
  STDMETHODIMP get_accHelp(VARIANT, BSTR* help) override { return Nothing(help); }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (topic != nullptr) *topic = 0;
    return Nothing(file);
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override { return Nothing(shortcut); }
  STDMETHODIMP get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    if (GetFocus() != window_) return S_FALSE;
    const long item = source_->FocusedItem();
    focus->vt = VT_I4;
    focus->lVal = item >= 0 ? item + 1 : CHILDID_SELF;
    return S_OK;
  }
  STDMETHODIMP get_accSelection(VARIANT* selection) override;
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, action, [this](long item) { return item < 0 ? std::wstring() : source_->ItemDefaultAction(item); });
  }
  STDMETHODIMP accSelect(long flags, VARIANT child) override {
    long item = 0;
    if (const HRESULT hr = ItemOf(child, item); hr != S_OK) return hr;
    if (item < 0) {
      if ((flags & SELFLAG_TAKEFOCUS) == 0) return E_INVALIDARG;
      SetFocus(window_);
      return S_OK;
    }
    return source_->SelectItem(item, flags) ? S_OK : E_INVALIDARG;
  }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    *left = *top = *width = *height = 0;
    long item = 0;
    if (const HRESULT hr = ItemOf(child, item); hr != S_OK) return hr;
    RECT rect{};
    if (item < 0) {
      GetClientRect(window_, &rect);
      MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    } else if (!source_->ItemRect(item, rect)) {
      return S_FALSE;
    }
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
  STDMETHODIMP accHitTest(long x, long y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    VariantInit(hit);
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    RECT client{};
    GetClientRect(window_, &client);
    POINT at{x, y};
    ScreenToClient(window_, &at);
    if (!PtInRect(&client, at)) return S_FALSE;
    const long item = source_->ItemAt(POINT{x, y});
    hit->vt = VT_I4;
    hit->lVal = item >= 0 ? item + 1 : CHILDID_SELF;
    return S_OK;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    long item = 0;
    if (const HRESULT hr = ItemOf(child, item); hr != S_OK) return hr;
    if (item < 0) return DISP_E_MEMBERNOTFOUND;
    return source_->DoItemDefaultAction(item) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~WindowAccessible() = default;

  bool Connected() const { return source_ != nullptr && IsWindow(window_); }

  // -1 for the client itself, else the item index; checks the id against the items now.
  HRESULT ItemOf(const VARIANT& child, long& item) const {
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
      item = -1;
      return S_OK;
    }
    if (child.lVal < 1 || child.lVal > source_->ItemCount()) return E_INVALIDARG;
    item = child.lVal - 1;
    return S_OK;
  }

  // Empties the answer, then finds the item as ItemOf does.
  HRESULT AnswerFor(const VARIANT& child, VARIANT* answer, long& item) const {
    if (answer == nullptr) return E_POINTER;
    VariantInit(answer);
    return ItemOf(child, item);
  }

  template <class Read>
  HRESULT Text(const VARIANT& child, BSTR* out, Read read) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    long item = 0;
    if (const HRESULT hr = ItemOf(child, item); hr != S_OK) return hr;
    const std::wstring text = read(item);
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT Nothing(BSTR* out) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }

  LONG references_ = 1;
  HWND window_;
  AccessibleSource* source_;
};

// One selected item as its child id, several as an enumeration is left out:
// their ids are in get_accState of each item; the count comes as VT_EMPTY/VT_I4.
STDMETHODIMP WindowAccessible::get_accSelection(VARIANT* selection) {
  if (selection == nullptr) return E_POINTER;
  VariantInit(selection);
  if (!Connected()) return CO_E_OBJNOTCONNECTED;
  const std::vector<long> selected = source_->SelectedItems();
  if (selected.empty()) return S_FALSE;
  if (selected.size() > 1) return E_NOTIMPL;
  selection->vt = VT_I4;
  selection->lVal = selected.front() + 1;
  return S_OK;
}

STDMETHODIMP WindowAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  long item = 0;
  if (const HRESULT hr = ItemOf(start, item); hr != S_OK) return hr;
  const long count = source_->ItemCount();
  long to = -1;
  switch (direction) {
    case NAVDIR_FIRSTCHILD: to = item < 0 && count > 0 ? 0 : -1; break;
    case NAVDIR_LASTCHILD: to = item < 0 && count > 0 ? count - 1 : -1; break;
    case NAVDIR_NEXT: to = item >= 0 && item + 1 < count ? item + 1 : -1; break;
    case NAVDIR_PREVIOUS: to = item > 0 ? item - 1 : -1; break;
    default: return item < 0 ? DISP_E_MEMBERNOTFOUND : S_FALSE;
  }
  if (to < 0) return S_FALSE;
  end->vt = VT_I4;
  end->lVal = to + 1;
  return S_OK;
}

LRESULT AccessibleLink::Answer(HWND window, AccessibleSource& source, WPARAM wParam, LPARAM lParam) {
  if (static_cast<long>(lParam) != static_cast<long>(OBJID_CLIENT)) return 0;
  if (object_ == nullptr) object_ = new (std::nothrow) WindowAccessible(window, source);
  if (object_ == nullptr) return 0;
  const LRESULT result = LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object_));
  return SUCCEEDED(static_cast<HRESULT>(result)) ? result : 0;
}

void AccessibleLink::Disconnect() {
  if (object_ == nullptr) return;
  object_->Disconnect();
  object_->Release();
  object_ = nullptr;
}

void RaiseItemEvent(HWND window, DWORD event, long item) {
  NotifyWinEvent(event, window, OBJID_CLIENT, item >= 0 ? item + 1 : CHILDID_SELF);
}

}  // namespace zv::win
