#include <algorithm>
#include <array>

#include "logic/language.h"
#include "logic/setup_form.h"

namespace {

constexpr int kLocaleBufferLength = 261;

}  // namespace

std::wstring SetupForm::ReadLocaleLanguage() {
  try {
    std::array<wchar_t, kLocaleBufferLength> buffer{};
    // The count includes the terminating NUL, which the trim removes; a count outside the
    // buffer is clamped rather than trusted.
    const int n = std::clamp(platform_.GetLocaleAbbrevLangName(buffer.data(), kLocaleBufferLength),
                             0, kLocaleBufferLength);
    return NormalizeAbbrevLangName(std::wstring_view(buffer.data(), static_cast<std::size_t>(n)));
  } catch (...) {
    return L"ERR";
  }
}

void SetupForm::DetectLanguage() { ApplyLanguage(LanguageFromAbbrevName(ReadLocaleLanguage())); }

std::wstring SetupForm::GetLanguageCode() const {
  return std::wstring(LanguageCode(values_.UiLanguage));
}

void SetupForm::WriteTextRow(const TextRow& row, TUiLanguage language) {
  if (row.copyOf) {
    view_.SetText(row.control, view_.GetText(*row.copyOf));
    return;
  }
  view_.SetText(row.control, std::wstring(language == ulGerman ? row.german : row.english));
}

void SetupForm::ApplyLanguage(TUiLanguage language) {
  values_.UiLanguage = language;
  const auto rows = TextCatalogue();
  const auto earlyCopy = std::find_if(rows.begin(), rows.end(), [](const TextRow& row) {
    return row.control == kGermanEarlyCopyTarget;
  });
  for (std::size_t i = 0; i < rows.size(); ++i) {
    WriteTextRow(rows[i], language);
    if (language == ulGerman && i + 1 == kGermanEarlyCopyAfterRow)
      WriteTextRow(*earlyCopy, language);
  }
}
