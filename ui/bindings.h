#pragma once

#include <optional>

#include "logic/controls.h"
#include "ui/hover_handlers.h"
#include "logic/setup_form.h"

// Which handler each control calls: constant tables, looked up by control.
namespace bindings {

using ClickHandler = void (SetupForm::*)();
using HoverHandler = void (HoverHandlers::*)();

struct HoverPair {
  HoverHandler enter;
  HoverHandler leave;
};

// The click handler bound to a control; none for controls without a click action.
std::optional<ClickHandler> ClickHandlerFor(Control c);
// The hover pair bound to a control; none for controls without hover feedback.
std::optional<HoverPair> HoverPairFor(Control c);

}  // namespace bindings
