#include "ui/client_accessible_win.h"

#include <algorithm>
#include <string>

#include "logic/bindings.h"
#include "logic/reading_order.h"

namespace {

// Role names a screen reader speaks in its own language; the verbs are the system's usual ones.
struct RoleRow {
  LONG systemRole;
  LONG state;
  const wchar_t* defaultAction;
};

// In the order of ReadingRole: text, link, button, progress bar.
constexpr RoleRow kRoles[] = {
    {ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, nullptr},
    {ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE, L"Jump"},
    {ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"Press"},
    {ROLE_SYSTEM_PROGRESSBAR, STATE_SYSTEM_READONLY, nullptr},
};

const RoleRow& RoleOf(Control c) { return kRoles[static_cast<int>(FindReading(c)->role)]; }

HRESULT Text(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetLong(VARIANT* v, LONG value) {
  v->vt = VT_I4;
  v->lVal = value;
}

std::optional<Control> ControlOf(long childId) {
  const auto order = ReadingOrder();
  if (childId < 1 || childId > static_cast<long>(order.size())) return std::nullopt;
  return order[static_cast<std::size_t>(childId - 1)].control;
}

// A COM object T offered as Interface, which goes when its last holder lets go.
template <typename T, typename Interface>
class Counted : public Interface {
public:
  Counted() = default;
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) std::default_delete<T>()(static_cast<T*>(this));
    return left;
  }

protected:
  // Hands the object out to a caller, who releases it.
  HRESULT Give(void** out) {
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

private:
  ULONG references_ = 1;  // its maker's
};

}  // namespace

LONG ChildId(Control c) { return static_cast<LONG>(FindReading(c) - ReadingOrder().data()) + 1; }

// The accessible object of the client area. It lives while the window or a caller holds it;
// once the window goes, callers that still hold it are cut off and every call fails. A child
// keeps its number for the whole run, so an event names the same item however late it is read.
class ClientAccessible final : public Counted<ClientAccessible, IAccessible> {
public:
  explicit ClientAccessible(AccessibleView& owner) : owner_(&owner) {}

  void Detach() {
    owner_ = nullptr;
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Each caller that asks for the children gets an enumerator with a place of its own.
    if (iid == IID_IEnumVARIANT) return Enumerator(0, out);
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IAccessible) return E_NOINTERFACE;
    return Give(out);
  }

  // A new enumerator of the children on view, from place at.
  HRESULT Enumerator(std::size_t at, void** out);
  // The numbers of the children on view, in reading order.
  HRESULT Children(std::vector<LONG>& ids) {
    return Guard([&] {
      for (const Control c : owner_->Offered()) ids.push_back(ChildId(c));
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
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

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Guard([&] {
      *parent = owner_->WindowObject();
      return *parent ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return Guard([&] {
      *count = static_cast<long>(owner_->Offered().size());
      return S_OK;
    });
  }
  // Every child is a simple element of this object.
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return ForChild(child, [&](std::optional<Control>) {
      *out = nullptr;
      return S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return ForChild(child, [&](std::optional<Control> c) {
      if (c) return Text(owner_->NameOf(*c), name);
      wchar_t title[256] = L"";
      GetWindowTextW(owner_->Form(), title, 256);
      return Text(title, name);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return ForChild(child, [&](std::optional<Control> c) {
      *value = nullptr;
      if (!c || FindReading(*c)->role != ReadingRole::ProgressBar)
        return HRESULT{DISP_E_MEMBERNOTFOUND};
      return Text(owner_->ValueOf(*c), value);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override { return Nothing(out); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return ForChild(child, [&](std::optional<Control> c) {
      SetLong(role, c ? RoleOf(*c).systemRole : ROLE_SYSTEM_CLIENT);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return ForChild(child, [&](std::optional<Control> c) {
      const bool focused = owner_->Focused() == c && GetFocus() == owner_->Form();
      LONG value = c ? RoleOf(*c).state : STATE_SYSTEM_FOCUSABLE;
      if (focused) value |= STATE_SYSTEM_FOCUSED;
      if (c && !owner_->IsOffered(*c)) value |= STATE_SYSTEM_INVISIBLE;
      SetLong(state, value);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Nothing(out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (topic) *topic = 0;
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
    return Nothing(out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    return Guard([&] {
      out->vt = VT_EMPTY;
      if (GetFocus() != owner_->Form()) return S_FALSE;
      const auto focused = owner_->Focused();
      SetLong(out, focused ? ChildId(*focused) : CHILDID_SELF);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return ForChild(child, [&](std::optional<Control> c) {
      *action = nullptr;
      const wchar_t* verb = c && Clickable(*c) ? RoleOf(*c).defaultAction : nullptr;
      return verb ? Text(verb, action) : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return ForChild(child, [&](std::optional<Control> c) {
      if (flags != SELFLAG_TAKEFOCUS || !c) return HRESULT{E_INVALIDARG};
      if (!Clickable(*c)) return HRESULT{DISP_E_MEMBERNOTFOUND};
      owner_->Select(*c);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return ForChild(child, [&](std::optional<Control> c) {
      const RECT r = owner_->ScreenRect(c);
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    return ForChild(start, [&](std::optional<Control> c) {
      out->vt = VT_EMPTY;
      const auto offered = owner_->Offered();
      const long count = static_cast<long>(offered.size());
      const long from =
          c ? static_cast<long>(std::find(offered.begin(), offered.end(), *c) - offered.begin())
            : -1;
      long to = -1;
      if (!c && direction == NAVDIR_FIRSTCHILD) to = 0;
      if (!c && direction == NAVDIR_LASTCHILD) to = count - 1;
      if (c && from < count && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
        to = from + 1;
      if (c && from < count && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
        to = from - 1;
      if (to < 0 || to >= count) return S_FALSE;
      SetLong(out, ChildId(offered[static_cast<std::size_t>(to)]));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    return Guard([&] {
      out->vt = VT_EMPTY;
      const POINT pt{x, y};
      for (const Control c : owner_->Offered()) {
        const RECT r = owner_->ScreenRect(c);
        if (PtInRect(&r, pt)) {
          SetLong(out, ChildId(c));
          return S_OK;
        }
      }
      const RECT client = owner_->ScreenRect(std::nullopt);
      if (!PtInRect(&client, pt)) return S_FALSE;
      SetLong(out, CHILDID_SELF);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return ForChild(child, [&](std::optional<Control> c) {
      return c && owner_->IsOffered(*c) && owner_->PostDefaultAction(*c)
                 ? S_OK
                 : HRESULT{DISP_E_MEMBERNOTFOUND};
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
  // No error crosses the interface: a detached object or a failed call answers E_FAIL.
  template <typename Fn>
  HRESULT Guard(Fn fn) {
    if (!owner_) return CO_E_OBJNOTCONNECTED;
    try {
      return fn();
    } catch (...) {
      return E_FAIL;
    }
  }
  // Calls fn with the child the variant names (none: the client area itself). A child not on
  // view can still be asked about; it says it is invisible.
  template <typename Fn>
  HRESULT ForChild(const VARIANT& child, Fn fn) {
    return Guard([&] {
      if (child.vt != VT_I4) return HRESULT{E_INVALIDARG};
      if (child.lVal == CHILDID_SELF) return fn(std::optional<Control>());
      const auto c = ControlOf(child.lVal);
      return c ? fn(c) : HRESULT{E_INVALIDARG};
    });
  }
  static HRESULT Nothing(BSTR* out) {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  AccessibleView* owner_;
};

namespace {

// The children on view from a place of the enumerator's own. It holds the object it lists, so
// it may outlive the window; it fails once the object is cut off.
class ChildEnumerator final : public Counted<ChildEnumerator, IEnumVARIANT> {
public:
  ChildEnumerator(ClientAccessible& client, std::size_t at) : client_(client), at_(at) {
    client_.AddRef();
  }
  ~ChildEnumerator() { client_.Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return iid == IID_IUnknown || iid == IID_IEnumVARIANT ? Give(out) : E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
    std::vector<LONG> ids;
    if (const HRESULT hr = client_.Children(ids); FAILED(hr)) return hr;
    ULONG n = 0;
    for (; n < wanted && at_ < ids.size(); ++n, ++at_) SetLong(&out[n], ids[at_]);
    if (fetched) *fetched = n;
    return n == wanted ? S_OK : S_FALSE;
  }
  // S_FALSE when fewer than count children were left.
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    std::vector<LONG> ids;
    if (const HRESULT hr = client_.Children(ids); FAILED(hr)) return hr;
    const std::size_t left = ids.size() - std::min(at_, ids.size());
    at_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return client_.Enumerator(at_, reinterpret_cast<void**>(out));
  }

private:
  ClientAccessible& client_;
  std::size_t at_;
};

}  // namespace

HRESULT ClientAccessible::Enumerator(std::size_t at, void** out) {
  return Guard([&] {
    *out = static_cast<IEnumVARIANT*>(std::make_unique<ChildEnumerator>(*this, at).release());
    return S_OK;
  });
}

void ClientAccessibleDeleter::operator()(ClientAccessible* client) const {
  client->Detach();
  client->Release();
}

ClientAccessiblePtr MakeClientAccessible(AccessibleView& owner) {
  return ClientAccessiblePtr(std::make_unique<ClientAccessible>(owner).release());
}

IAccessible* AsAccessible(ClientAccessible& client) { return &client; }
