#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "logic/app_control.h"
#include "logic/edition.h"
#include "ui/layout_table.h"
#include "logic/platform.h"
#include "tests/support/fakes.h"
#include "ui/uSetup_win.h"
#include "ui/window_base_win.h"

struct RecordingErrors final : HandlerErrors {
  int reports = 0;
  void Report(std::exception_ptr) noexcept override { ++reports; }
};

// A real setup window of the given edition, created as the program creates it (at the screen's
// resolution unless told another), shown without activation at the screen's top left so that
// pointer tracking and screen reads work.
class LayoutWindow {
public:
  explicit LayoutWindow(TSetupEdition edition, const wchar_t* locale = L"DEU",
                        DpiScale scale = DpiScale::ForScreen());
  ~LayoutWindow();
  LayoutWindow(const LayoutWindow&) = delete;
  LayoutWindow& operator=(const LayoutWindow&) = delete;

  HWND Form() const { return frm_->Handle(); }
  SetupViewWin& View() { return frm_->View(); }
  SetupForm& Logic() { return frm_->Form(); }

  // The centre of a control, in the window's client coordinates.
  POINT CentreOf(Control c);
  // Press and release at a client point of the window, delivered to the window found there.
  void Click(POINT client);
  void Click(Control c) { Click(CentreOf(c)); }
  void PressAndRelease(POINT down, POINT up);
  // Moves the pointer to a client point: the window there gets WM_MOUSEMOVE.
  void MoveTo(POINT client);
  void MoveTo(Control c) { MoveTo(CentreOf(c)); }
  // The pointer leaves the window it was last moved over.
  void Leave();
  // Lets queued messages (paint, posted leaves) run.
  void Pump();

  SetupValues values;
  FakeApp app;
  FakePlatform platform;
  RecordingErrors errors;

private:
  HWND TargetAt(POINT client, POINT& local) const;

  std::unique_ptr<TFrmSetup> frm_;
  HWND lastMoveTarget_ = nullptr;
};

// The labels underlined at the moment.
std::vector<Control> UnderlinedLabels(const SetupViewWin& view);
