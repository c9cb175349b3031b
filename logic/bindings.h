#pragma once

#include <optional>

#include "logic/controls.h"

// The label a hover over the control underlines; none for controls without hover feedback.
// Each label is underlined while the pointer is over any control of its rows.
std::optional<Control> HoverLabel(Control pointerOver);

// Whether a click on the control runs a handler.
bool Clickable(Control c);
