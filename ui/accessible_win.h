#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "logic/edition.h"
#include "logic/setup_form.h"
#include "ui/client_accessible_win.h"
#include "ui/form_keys_win.h"
#include "ui/setup_view_win.h"
#include "ui/view_changes.h"

class OleaccApi;

// The setup window as a screen reader sees it (Microsoft Active Accessibility): its client area
// answers with an accessible object whose children are the items of the page on view, and every
// change a reader should speak is announced with NotifyWinEvent. A default action runs the
// click of its control, posted, so that the reader's call returns before the handler runs.
class AccessibleForm final : public ViewChanges, public AccessibleView {
public:
  AccessibleForm(HWND form, SetupViewWin& view, SetupForm& logic, FormKeys& keys,
                 const SetupValues& values);
  ~AccessibleForm() override;
  AccessibleForm(const AccessibleForm&) = delete;
  AccessibleForm& operator=(const AccessibleForm&) = delete;

  // Messages of the form this answers (WM_GETOBJECT for the client area, the posted default
  // actions); none for every other message.
  std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void PageShown(TSetupPage page) override;
  void VisibilityChanged(Control c, bool visible) override;
  void TextChanged(Control c) override;
  void CueMoved(std::optional<Control> to);

  HWND Form() const override { return form_; }
  std::vector<Control> Offered() const override;
  bool IsOffered(Control c) const override;
  std::wstring NameOf(Control c) const override;
  std::wstring ValueOf(Control c) const override;
  RECT ScreenRect(std::optional<Control> c) const override;
  std::optional<Control> Focused() const override;
  void Select(Control c) override { keys_.Cue(c); }
  bool PostDefaultAction(Control c) const override;
  IDispatch* WindowObject() const override;

private:
  bool OnView(Control c) const;
  void Notify(DWORD event, Control c) const;

  HWND form_;
  SetupViewWin& view_;
  SetupForm& logic_;
  FormKeys& keys_;
  const SetupValues& values_;
  std::unique_ptr<OleaccApi> oleacc_;
  ClientAccessiblePtr client_;
};
