#pragma once

#include <functional>
#include <optional>

#include "logic/controls.h"
#include "logic/pages.h"

// The keys the setup window answers by itself: none of its controls takes the keyboard focus.
enum class FormKey { Enter, Escape, Space, Tab, ShiftTab };

// What the keys do on one page. Every key acts by clicking a control, so it runs the click's
// handler and nothing else.
struct PageKeys {
  std::optional<Control> enter;  // the page's main action, if it has one
  Control escape;                // the page's way out
};

const PageKeys& KeysOf(TSetupPage page);

// What one key press does: the control to click and where the keyboard cue goes.
struct KeyOutcome {
  std::optional<Control> click;
  std::optional<Control> cue;
};

// shown tells whether a control can be seen now; a control that cannot is neither cued nor
// clicked. Enter and Space run the cued control; without one, Enter runs the main action.
KeyOutcome PressKey(FormKey key, TSetupPage page, std::optional<Control> cued,
                    const std::function<bool(Control)>& shown);
