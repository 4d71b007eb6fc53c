#include "Accessible.h"

#include <oleacc.h>

#include <cctype>

#include "Mnemonic.h"

namespace kui {
namespace {

std::string TextOf(HWND h) {
  char text[256] = {};
  GetWindowTextA(h, text, sizeof text);
  return text;
}

BSTR ToBstr(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
  BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (b && n) MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), b, n);
  return b;
}

bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }

// One object per request: it holds the window handle only and reads everything live, so it
// stays right however long a client keeps it (and fails softly once the window is gone).
class ControlAccessible final : public IAccessible {
 public:
  ControlAccessible(HWND h, long role) : m_hwnd(h), m_role(role) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IDispatch: clients use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!IsWindow(m_hwnd)) return E_FAIL;
    return AccessibleObjectFromWindow(m_hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (child) *child = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT v, BSTR* name) override {
    return Text(v, name, AccessibleName(TextOf(m_hwnd).c_str()));
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT v, BSTR* value) override {
    if (value) *value = nullptr;
    return IsSelf(v) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT v, BSTR* d) override { return None(v, d); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT v, VARIANT* role) override {
    if (!role) return E_POINTER;
    VariantInit(role);
    if (!IsSelf(v)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = m_role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT v, VARIANT* state) override {
    if (!state) return E_POINTER;
    VariantInit(state);
    if (!IsSelf(v)) return E_INVALIDARG;
    if (!IsWindow(m_hwnd)) return E_FAIL;
    state->vt = VT_I4;
    state->lVal = State();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT v, BSTR* help) override { return None(v, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT v, BSTR* key) override {
    return Text(v, key, KeyboardShortcut(TextOf(m_hwnd).c_str()));
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    if (GetFocus() == m_hwnd) {
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
    }
    return focus->vt == VT_EMPTY ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* sel) override {
    if (!sel) return E_POINTER;
    VariantInit(sel);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT v, BSTR* action) override {
    return Text(v, action, DefaultAction());
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT v) override {
    if (!IsSelf(v)) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) {
      SetFocus(m_hwnd);
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT v) override {
    if (!x || !y || !w || !h) return E_POINTER;
    if (!IsSelf(v)) return E_INVALIDARG;
    RECT r;
    if (!GetWindowRect(m_hwnd, &r)) return E_FAIL;
    *x = r.left;
    *y = r.top;
    *w = r.right - r.left;
    *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end) VariantInit(end);
    return E_NOTIMPL;  // the parent window's object walks the siblings
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    VariantInit(hit);
    RECT r;
    POINT pt{x, y};
    if (!GetWindowRect(m_hwnd, &r) || !PtInRect(&r, pt)) return S_FALSE;
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT v) override {
    if (!IsSelf(v)) return E_INVALIDARG;
    if (DefaultAction().empty()) return DISP_E_MEMBERNOTFOUND;
    if (!IsWindowEnabled(m_hwnd)) return E_FAIL;
    // Posted: the action may open a modal window, which must not run inside the client's call.
    if (m_role == ROLE_SYSTEM_LINK) {
      PostMessageA(m_hwnd, WM_KEYDOWN, VK_RETURN, 0);
    } else {
      PostMessageA(m_hwnd, BM_CLICK, 0, 0);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ControlAccessible() = default;

  static HRESULT Text(const VARIANT& v, BSTR* out, const std::string& s) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsSelf(v)) return E_INVALIDARG;
    if (s.empty()) return S_FALSE;
    *out = ToBstr(s);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT None(const VARIANT& v, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return IsSelf(v) ? S_FALSE : E_INVALIDARG;
  }

  long State() const {
    long s = 0;
    const LONG style = GetWindowLongA(m_hwnd, GWL_STYLE);
    if (!IsWindowVisible(m_hwnd)) s |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(m_hwnd)) s |= STATE_SYSTEM_UNAVAILABLE;
    if (m_role == ROLE_SYSTEM_GROUPING) return s;
    if ((style & WS_TABSTOP) || m_role != ROLE_SYSTEM_LINK) s |= STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == m_hwnd) s |= STATE_SYSTEM_FOCUSED;
    switch (m_role) {
      case ROLE_SYSTEM_PUSHBUTTON:
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) s |= STATE_SYSTEM_DEFAULT;
        if (SendMessageA(m_hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) s |= STATE_SYSTEM_PRESSED;
        break;
      case ROLE_SYSTEM_RADIOBUTTON: case ROLE_SYSTEM_CHECKBUTTON: {
        const LRESULT check = SendMessageA(m_hwnd, BM_GETCHECK, 0, 0);
        if (check == BST_CHECKED) s |= STATE_SYSTEM_CHECKED;
        if (check == BST_INDETERMINATE) s |= STATE_SYSTEM_MIXED;
        break;
      }
      case ROLE_SYSTEM_LINK:
        s |= STATE_SYSTEM_LINKED;
        break;
      default:
        break;
    }
    return s;
  }

  std::string DefaultAction() const {
    switch (m_role) {
      case ROLE_SYSTEM_PUSHBUTTON: return "Press";
      case ROLE_SYSTEM_RADIOBUTTON: return "Check";
      case ROLE_SYSTEM_CHECKBUTTON:
        return SendMessageA(m_hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? "Uncheck" : "Check";
      case ROLE_SYSTEM_LINK: return "Jump";
      default: return "";
    }
  }

  LONG m_refs = 1;
  HWND m_hwnd;
  long m_role;
};

}  // namespace

std::string AccessibleName(const char* caption) {
  std::string out;
  for (const char* p = caption ? caption : ""; *p; ++p) {
    if (*p == '&') {
      if (p[1] != '&') continue;
      ++p;
    }
    out += *p;
  }
  const size_t first = out.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

std::string KeyboardShortcut(const char* caption) {
  const char key = MnemonicChar(caption);
  return key ? std::string("Alt+") + key : std::string();
}

long ButtonRole(HWND button) {
  switch (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) {
    case BS_GROUPBOX: return ROLE_SYSTEM_GROUPING;
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return ROLE_SYSTEM_RADIOBUTTON;
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
      return ROLE_SYSTEM_CHECKBUTTON;
    default: return ROLE_SYSTEM_PUSHBUTTON;
  }
}

LRESULT AnswerGetObject(HWND ctl, WPARAM wp, LPARAM lp, long role, bool& handled) {
  handled = false;
  const DWORD id = static_cast<DWORD>(lp);
  if (id == static_cast<DWORD>(kInThreadObjectId)) {
    // Only a caller of this thread may have the pointer itself: it is written through wParam.
    auto** out = reinterpret_cast<IAccessible**>(wp);
    if (InSendMessage() || !out) return 0;
    *out = new ControlAccessible(ctl, role);
    handled = true;
    return 1;
  }
  if (id != static_cast<DWORD>(OBJID_CLIENT)) return 0;
  auto* acc = new ControlAccessible(ctl, role);
  const LRESULT res = LresultFromObject(IID_IAccessible, wp, acc);  // takes its own reference
  acc->Release();
  handled = res > 0;
  return res;
}

IAccessible* InThreadAccessible(HWND ctl) {
  IAccessible* acc = nullptr;
  SendMessageA(ctl, WM_GETOBJECT, reinterpret_cast<WPARAM>(&acc), kInThreadObjectId);
  return acc;
}

ComApartment::ComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
  if (m_ok) CoUninitialize();
}

}  // namespace kui
