#include "framework/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <vector>

namespace fw {
namespace {

constexpr UINT_PTR kSubclassId = 0x4641;  // "FA"
// The window's link, found again by attach and detach (GetWindowSubclass is exported by
// ordinal only).
constexpr char kLinkProperty[] = "OrvAccessibleLink";

// What the window and the objects it handed out share: the source, cleared when it goes.
struct Link {
  LONG refs = 1;
  HWND window = nullptr;
  AccessibleSource* source = nullptr;
  void addRef() { InterlockedIncrement(&refs); }
  void release() {
    if (InterlockedDecrement(&refs) == 0) delete this;
  }
};

BSTR bstr(const std::wstring& text) {
  return text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

bool childOf(const VARIANT& v, long& child) {
  if (v.vt != VT_I4) return false;
  child = v.lVal;
  return true;
}

}  // namespace

// Outside the anonymous namespace: GCC drops calls through COM interfaces declared in one.
class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(Link* link, IAccessible* standard) : link_(link), standard_(standard) {
    link_->addRef();
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    // __uuidof rather than the IID_IAccessible symbol: some import libraries of oleacc
    // carry a symbol of that name that is no GUID.
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: clients call the interface directly.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    return standard_ ? standard_->get_accParent(parent) : S_FALSE;
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    *count = link_->source->accessibleCount(link_->window);
    return S_OK;
  }
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    return FAILED(hr) ? hr : S_FALSE;  // items are simple elements of this object
  }
  STDMETHODIMP get_accName(VARIANT child, BSTR* out) override {
    return text(child, out, &AccessibleItem::name, &IAccessible::get_accName);
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* out) override {
    return text(child, out, &AccessibleItem::value, &IAccessible::get_accValue);
  }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* out) override {
    return text(child, out, &AccessibleItem::description, &IAccessible::get_accDescription);
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE || item.role == 0) return standard_ ? standard_->get_accRole(child, out) : S_FALSE;
    out->vt = VT_I4;
    out->lVal = item.role;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    long state = item.state;
    if (hr == S_FALSE || isSelf(child)) {
      VARIANT standard;
      VariantInit(&standard);
      if (standard_ && SUCCEEDED(standard_->get_accState(child, &standard)) && standard.vt == VT_I4)
        state |= standard.lVal;
    }
    out->vt = VT_I4;
    out->lVal = state;
    return S_OK;
  }
  STDMETHODIMP get_accHelp(VARIANT, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    if (isSelf(child) && standard_) return standard_->get_accKeyboardShortcut(child, out);
    return S_FALSE;
  }
  STDMETHODIMP get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    long focus = link_->source->accessibleFocus(link_->window);
    if (focus < 0) return standard_ ? standard_->get_accFocus(out) : S_FALSE;
    out->vt = VT_I4;
    out->lVal = focus;
    return S_OK;
  }
  STDMETHODIMP get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) return standard_ ? standard_->get_accDefaultAction(child, out) : S_FALSE;
    *out = bstr(item.defaultAction);
    return *out ? S_OK : S_FALSE;
  }
  STDMETHODIMP accSelect(long, VARIANT) override { return E_NOTIMPL; }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                           VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE || isSelf(child))
      return standard_ ? standard_->accLocation(left, top, width, height, child) : S_FALSE;
    POINT corner = {item.bounds.left, item.bounds.top};
    ClientToScreen(link_->window, &corner);
    *left = corner.x;
    *top = corner.y;
    *width = item.bounds.right - item.bounds.left;
    *height = item.bounds.bottom - item.bounds.top;
    return S_OK;
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    long from = 0;
    if (!childOf(start, from)) return E_INVALIDARG;
    const long count = link_->source->accessibleCount(link_->window);
    long to = 0;
    if (from == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD) to = 1;
      else if (direction == NAVDIR_LASTCHILD) to = count;
      else return standard_ ? standard_->accNavigate(direction, start, out) : S_FALSE;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
      to = from + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
      to = from - 1;
    } else {
      return E_INVALIDARG;
    }
    if (to < 1 || to > count) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = to;
    return S_OK;
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    VariantInit(out);
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    POINT point = {x, y};
    ScreenToClient(link_->window, &point);
    const long count = link_->source->accessibleCount(link_->window);
    for (long child = 1; child <= count; ++child) {
      AccessibleItem item;
      if (link_->source->accessibleItem(link_->window, child, item) &&
          !(item.state & STATE_SYSTEM_INVISIBLE) && PtInRect(&item.bounds, point)) {
        out->vt = VT_I4;
        out->lVal = child;
        return S_OK;
      }
    }
    return standard_ ? standard_->accHitTest(x, y, out) : S_FALSE;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    long id = 0;
    childOf(child, id);
    if (link_->source->accessibleDoDefault(link_->window, id)) return S_OK;
    if (hr == S_FALSE && standard_) return standard_->accDoDefaultAction(child);
    return DISP_E_MEMBERNOTFOUND;
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleObject() {
    if (standard_) standard_->Release();
    link_->release();
  }

  bool connected() const { return link_->source != nullptr && IsWindow(link_->window); }
  static bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

  // S_OK with the source's item; S_FALSE for the window itself when the source leaves
  // it to the standard object; E_INVALIDARG for no such child.
  HRESULT itemOf(const VARIANT& child, AccessibleItem& item) {
    if (!connected()) return CO_E_OBJNOTCONNECTED;
    long id = 0;
    if (!childOf(child, id)) return E_INVALIDARG;
    if (id < 0 || id > link_->source->accessibleCount(link_->window)) return E_INVALIDARG;
    if (link_->source->accessibleItem(link_->window, id, item)) return S_OK;
    return id == CHILDID_SELF ? S_FALSE : E_INVALIDARG;
  }

  using StandardText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  HRESULT text(const VARIANT& child, BSTR* out, std::wstring AccessibleItem::*field,
               StandardText standard) {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessibleItem item;
    HRESULT hr = itemOf(child, item);
    if (FAILED(hr)) return hr;
    if (hr == S_OK && !(item.*field).empty()) {
      *out = bstr(item.*field);
      return *out ? S_OK : E_OUTOFMEMORY;
    }
    if (isSelf(child) && standard_) return (standard_->*standard)(child, out);
    return S_FALSE;
  }

  LONG refs_ = 1;
  Link* link_;
  IAccessible* standard_;
};

namespace {

LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR id, DWORD_PTR data) {
  auto* link = reinterpret_cast<Link*>(data);
  switch (message) {
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) == OBJID_CLIENT && link->source) {
        IAccessible* standard = nullptr;
        CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                  reinterpret_cast<void**>(&standard));
        auto* object = new AccessibleObject(link, standard);
        LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object);
        object->Release();
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, subclassProc, id);
      RemovePropA(window, kLinkProperty);
      link->source = nullptr;
      link->release();
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

Link* linkOf(HWND window) { return static_cast<Link*>(GetPropA(window, kLinkProperty)); }

}  // namespace

bool attachAccessible(HWND window, AccessibleSource* source) {
  if (!window || !source) return false;
  if (Link* link = linkOf(window)) {
    link->source = source;
    return true;
  }
  auto* link = new Link;
  link->window = window;
  link->source = source;
  if (!SetPropA(window, kLinkProperty, link) ||
      !SetWindowSubclass(window, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(link))) {
    RemovePropA(window, kLinkProperty);
    link->release();
    return false;
  }
  // Clients that asked before (and cached the standard object) learn of the change.
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
  return true;
}

void detachAccessible(HWND window) {
  if (!window) return;
  if (Link* link = linkOf(window)) {
    RemoveWindowSubclass(window, subclassProc, kSubclassId);
    RemovePropA(window, kLinkProperty);
    link->source = nullptr;
    link->release();
  }
}

}  // namespace fw
