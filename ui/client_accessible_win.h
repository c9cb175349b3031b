#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logic/controls.h"

// What the accessible object of the client area reads of the setup window.
class AccessibleView {
public:
  virtual HWND Form() const = 0;
  // The items on view, in reading order.
  virtual std::vector<Control> Offered() const = 0;
  virtual bool IsOffered(Control c) const = 0;
  virtual std::wstring NameOf(Control c) const = 0;
  virtual std::wstring ValueOf(Control c) const = 0;
  // Where a child lies on the screen; none: the whole client area.
  virtual RECT ScreenRect(std::optional<Control> c) const = 0;
  virtual std::optional<Control> Focused() const = 0;
  virtual void Select(Control c) = 0;
  // Posts the click of c; false when c has none.
  virtual bool PostDefaultAction(Control c) const = 0;
  // The standard accessible object of the whole window, the client's parent.
  virtual IDispatch* WindowObject() const = 0;

protected:
  ~AccessibleView() = default;
};

class ClientAccessible;

// The accessible object of the setup window's client area (IAccessible, and an enumerator of the
// children on view with a place of its own for each caller that asks). Owned by the form; when it
// goes, callers that still hold the object are cut off and every call fails.
struct ClientAccessibleDeleter {
  void operator()(ClientAccessible* client) const;
};
using ClientAccessiblePtr = std::unique_ptr<ClientAccessible, ClientAccessibleDeleter>;

ClientAccessiblePtr MakeClientAccessible(AccessibleView& owner);
IAccessible* AsAccessible(ClientAccessible& client);
// The child number of a control that is read, the same for the whole run: 1 and up, in reading
// order.
LONG ChildId(Control c);
