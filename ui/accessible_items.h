#pragma once

#include <optional>
#include <span>

#include "logic/controls.h"

// What a screen reader is offered of the setup window: every item that says or does something,
// in reading order, the header first. The mascot and the photo only decorate and are left out.
namespace accessible {

enum class Role { Text, Link, Button, Graphic, ProgressBar };

enum class Name {
  OwnText,         // the words the control shows
  TextOf,          // the words of the label the symbol stands above
  Fixed,           // a name of its own (the flags show no words)
  ContactAddress,  // the address the link opens
  None,
};

struct Item {
  Control control;
  Role role;
  Name name;
  std::optional<Control> textOf;
  const wchar_t* fixedName;
};

std::span<const Item> Items();
// The item of a control; none for a control that is not offered.
const Item* Find(Control c);
// The child number of an offered control, the same for the whole run: 1 and up, in the order of
// Items; and the control of a number, none for a number that names no item.
long ChildId(Control c);
std::optional<Control> ControlOf(long childId);

}  // namespace accessible
