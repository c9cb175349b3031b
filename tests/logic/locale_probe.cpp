// Runs the program's own language detection against the real locale query and prints the
// abbreviated name and the language chosen, e.g. "DEU German".
#include <cstdio>
#include <string>

#include "base/utf.h"
#include "logic/setup_form.h"
#include "tests/support/fakes.h"

int main() {
  SetupValues values;
  RecordingView view{values};
  FakeApp app;
  SetupForm form(view, NativeSetupPlatform(), app, app, values);
  const std::wstring name = form.ReadLocaleLanguage();
  form.DetectLanguage();
  std::printf("%s %s\n", WideToUtf8(name).c_str(),
              values.UiLanguage == ulGerman ? "German" : "English");
  return 0;
}
