// Runs the program's own language detection against the real locale query and prints the
// abbreviated name and the language chosen, e.g. "DEU German".
#include <cstdio>
#include <string>

#include "base/utf.h"
#include "logic/setup_form.h"

namespace {

class SilentView : public SetupView {
public:
  void SetText(Control, const std::wstring&) override {}
  std::wstring GetText(Control) const override { return {}; }
  void SetVisible(Control, bool) override {}
  void ShowPage(TSetupPage) override {}
  void SetProgressMax(std::int32_t) override {}
  void SetProgressPosition(std::int32_t) override {}
};

class NoApp : public AppControl {
public:
  void ExitSetup() override {}
  void Terminate() override {}
};

}  // namespace

int main() {
  SilentView view;
  NoApp app;
  SetupValues values;
  SetupForm form(view, NativeSetupPlatform(), app, values);
  const std::wstring name = form.ReadLocaleLanguage();
  form.DetectLanguage();
  std::printf("%s %s\n", WideToUtf8(name).c_str(),
              values.UiLanguage == ulGerman ? "German" : "English");
  return 0;
}
