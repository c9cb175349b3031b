#pragma once

#include <optional>
#include <span>
#include <vector>

#include "logic/controls.h"
#include "logic/pages.h"

// What the setup window says and does, in reading order: line by line from the top, left to right
// on a line, the header (the flags, the logo) before the page. A screen reader is offered these
// items, and the keyboard cue moves over the links and buttons among them. A symbol does what
// the label below it does and is left out, as are the mascot and the photo, which only decorate.
enum class ReadingRole { Text, Link, Button, ProgressBar };

struct ReadingItem {
  Control control;
  ReadingRole role;
  std::optional<TSetupPage> page;  // none: the header, on view with every page
};

// Every item, each at one place for the whole run.
std::span<const ReadingItem> ReadingOrder();
// The item of a control; none for a control that is not read.
const ReadingItem* FindReading(Control c);
// The links and buttons of the header, then those of the page.
std::vector<Control> CueOrder(TSetupPage page);
