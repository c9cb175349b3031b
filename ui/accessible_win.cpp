#include "ui/accessible_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/system_library_win.h"
#include "logic/bindings.h"
#include "logic/links.h"
#include "logic/reading_order.h"
#include "ui/layout_table.h"

namespace {

// Posted by a default action; wParam is the control.
constexpr UINT kRunDefaultAction = WM_APP + 2;

// The flags show no words of their own.
constexpr std::pair<Control, const wchar_t*> kFlagNames[] = {{Control::Image2, L"Deutsch"},
                                                             {Control::Image3, L"English"}};

// std::to_wstring would bring the C library's whole wide formatter into the program.
std::wstring Decimal(long long value) {
  std::wstring digits;
  const bool negative = value < 0;
  unsigned long long rest = negative ? 0ull - static_cast<unsigned long long>(value)
                                     : static_cast<unsigned long long>(value);
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
    rest /= 10;
  } while (rest != 0);
  return negative ? L"-" + digits : digits;
}

}  // namespace

// oleacc is not a known DLL, so it comes from the system folder by its full path, and only
// once a reader asks. A reader may still hold the window's standard object (the client's
// parent) when the window and then COM go, and its release runs oleacc's code: oleacc stays
// loaded until the process ends.
class OleaccApi {
public:
  OleaccApi() { dll.Pin(); }

  using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

  SystemLibrary dll{L"oleacc.dll"};
  LresultFromObjectFn lresultFromObject = dll.Get<LresultFromObjectFn>("LresultFromObject");
  CreateStdAccessibleObjectFn createStd =
      dll.Get<CreateStdAccessibleObjectFn>("CreateStdAccessibleObject");
};

AccessibleForm::AccessibleForm(HWND form, SetupViewWin& view, SetupForm& logic, FormKeys& keys,
                               const SetupValues& values)
    : form_(form), view_(view), logic_(logic), keys_(keys), values_(values) {}

AccessibleForm::~AccessibleForm() = default;

std::optional<LRESULT> AccessibleForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kRunDefaultAction) {
    const auto c = static_cast<Control>(wParam);
    // The page may have changed since the reader asked.
    if (wParam < static_cast<WPARAM>(kControlCount) && IsOffered(c)) logic_.Click(c);
    return 0;
  }
  // Any other object (UI Automation's root among them) is the system's to answer.
  if (msg != WM_GETOBJECT || static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
    return std::nullopt;
  try {
    if (!oleacc_) oleacc_ = std::make_unique<OleaccApi>();
    if (!client_) client_ = MakeClientAccessible(*this);
    return oleacc_->lresultFromObject(IID_IAccessible, wParam, AsAccessible(*client_));
  } catch (...) {
    return std::nullopt;
  }
}

bool AccessibleForm::OnView(Control c) const {
  const auto& page = layout::ControlEntry(c).page;
  return !page || page == view_.ActivePage();
}

bool AccessibleForm::IsOffered(Control c) const {
  return FindReading(c) && OnView(c) && view_.ControlVisible(c);
}

std::vector<Control> AccessibleForm::Offered() const {
  std::vector<Control> offered;
  for (const ReadingItem& item : ReadingOrder())
    if (IsOffered(item.control)) offered.push_back(item.control);
  return offered;
}

// The logo is named after the address it opens.
std::wstring AccessibleForm::NameOf(Control c) const {
  for (const auto& [flag, name] : kFlagNames)
    if (flag == c) return name;
  return c == Control::Image1 ? ContactAddress(values_.UiLanguage) : view_.GetText(c);
}

// As the platform's progress control says it: the filled share in whole percent.
std::wstring AccessibleForm::ValueOf(Control) const {
  const HWND bar = view_.ProgressBarWindow();
  // The range is the installer's size in bytes: a 32-bit product would overflow past 21 MB.
  const long long low = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
  const long long high = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const long long position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const long long span = high - low;
  const long long percent = span > 0 ? (position - low) * 100 / span : 0;
  return Decimal(percent) + L"%";
}

RECT AccessibleForm::ScreenRect(std::optional<Control> c) const {
  RECT r{};
  if (c)
    r = view_.ControlRect(*c);
  else
    GetClientRect(form_, &r);
  MapWindowPoints(form_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::optional<Control> AccessibleForm::Focused() const { return keys_.Cued(); }

bool AccessibleForm::PostDefaultAction(Control c) const {
  return Clickable(c) && PostMessageW(form_, kRunDefaultAction, static_cast<WPARAM>(c), 0);
}

IDispatch* AccessibleForm::WindowObject() const {
  void* object = nullptr;
  if (!oleacc_ || FAILED(oleacc_->createStd(form_, OBJID_WINDOW, IID_IDispatch, &object)))
    return nullptr;
  return static_cast<IDispatch*>(object);
}

void AccessibleForm::Notify(DWORD event, Control c) const {
  if (FindReading(c)) NotifyWinEvent(event, form_, OBJID_CLIENT, ChildId(c));
}

void AccessibleForm::PageShown(TSetupPage) {
  NotifyWinEvent(EVENT_OBJECT_REORDER, form_, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleForm::VisibilityChanged(Control c, bool visible) {
  if (!FindReading(c) || !OnView(c)) return;
  Notify(visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, c);
  if (visible && c == Control::lblNoConnection) Notify(EVENT_SYSTEM_ALERT, c);
}

void AccessibleForm::TextChanged(Control c) {
  if (IsOffered(c)) Notify(EVENT_OBJECT_NAMECHANGE, c);
}

void AccessibleForm::CueMoved(std::optional<Control> to) {
  if (to && GetFocus() == form_) Notify(EVENT_OBJECT_FOCUS, *to);
}
