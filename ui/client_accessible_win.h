#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>

class AccessibleForm;
class ClientAccessible;

// The accessible object of the setup window's client area (IAccessible and its enumerator of the
// children on view), reading what the form tells it. Owned by the form; when it goes, callers
// that still hold the object are cut off and every call fails.
struct ClientAccessibleDeleter {
  void operator()(ClientAccessible* client) const;
};
using ClientAccessiblePtr = std::unique_ptr<ClientAccessible, ClientAccessibleDeleter>;

ClientAccessiblePtr MakeClientAccessible(AccessibleForm& owner);
IAccessible* AsAccessible(ClientAccessible& client);
