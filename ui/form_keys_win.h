#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "logic/key_bindings.h"
#include "logic/setup_form.h"
#include "ui/setup_view_win.h"
#include "ui/view_changes.h"

// The setup window's keys and its keyboard cue. The form itself answers the keys, as none of
// its controls takes the focus; every key acts through the click bindings. The cue is drawn
// only while the window's UI state shows focus cues, which the first key turns on, so a mouse
// user never sees it.
class FormKeys final : public ViewChanges {
public:
  FormKeys(HWND form, SetupViewWin& view, SetupForm& logic);
  FormKeys(const FormKeys&) = delete;
  FormKeys& operator=(const FormKeys&) = delete;

  // WM_KEYDOWN of the form; false for a key the window does not answer. The click it runs may
  // pump messages or end the program.
  bool KeyDown(WPARAM key, LPARAM flags);
  // After WM_UPDATEUISTATE has been through DefWindowProc.
  void UiStateChanged();

  std::optional<Control> Cued() const { return cued_; }
  // Puts the cue on c, as a screen reader's selection does; shown only when cues are.
  void Cue(Control c);
  // Told whenever the cue goes to another control or away.
  void OnCueMoved(std::function<void(std::optional<Control>)> moved) { moved_ = std::move(moved); }

  void PageShown(TSetupPage page) override;
  void VisibilityChanged(Control c, bool visible) override;
  void TextChanged(Control) override {}

private:
  void MoveCue(std::optional<Control> to);
  bool CuesShown() const;

  HWND form_;
  SetupViewWin& view_;
  SetupForm& logic_;
  std::optional<Control> cued_;
  std::function<void(std::optional<Control>)> moved_;
};
