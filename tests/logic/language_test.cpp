#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/fakes.h"
#include "logic/language.h"
#include "logic/setup_form.h"

namespace {

TEST(LogicDetection, NormalizeTrimsCodesUpTo32AtBothEndsThenCutsToFour) {
  EXPECT_EQ(NormalizeAbbrevLangName(std::wstring(L"DEU\0", 4)), L"DEU");
  EXPECT_EQ(NormalizeAbbrevLangName(L" \t\r\nDEA \x1f"), L"DEA");
  EXPECT_EQ(NormalizeAbbrevLangName(std::wstring(L"\0 \x01", 3)), L"");
  EXPECT_EQ(NormalizeAbbrevLangName(L"D EU"), L"D EU");
  EXPECT_EQ(NormalizeAbbrevLangName(L"DEUTSCH"), L"DEUT");
  EXPECT_EQ(NormalizeAbbrevLangName(L"  DEUTSCH  "), L"DEUT");
  // '!' (33) is kept: only codes 32 and below go.
  EXPECT_EQ(NormalizeAbbrevLangName(L"!DE!"), L"!DE!");
}

TEST(LogicDetection, OnlyTheFourGermanNamesMatchExactly) {
  for (const wchar_t* name : {L"DEU", L"DE", L"DEA", L"DES"})
    EXPECT_EQ(LanguageFromAbbrevName(name), ulGerman) << name;
  for (const wchar_t* name :
       {L"DEL", L"DEC", L"deu", L"De", L"D", L"DEUT", L"ENU", L"", L"ERR", L"DEU ", L" DE"})
    EXPECT_EQ(LanguageFromAbbrevName(name), ulEnglish) << name;
}

TEST(LogicDetection, ReadLocaleLanguageUsesA261CharacterZeroedBuffer) {
  FormHarness h;
  h.platform.localeName = L"DEU";
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"DEU");
  EXPECT_EQ(h.platform.lastCapacity, 261);
  ASSERT_EQ(h.platform.bufferSeen.size(), 261u);
  for (wchar_t c : h.platform.bufferSeen) ASSERT_EQ(c, L'\0');
}

TEST(LogicDetection, ReadLocaleLanguageTakesOnlyTheReportedCount) {
  FormHarness h;
  h.platform.localeName = L"DEUTSCH";
  h.platform.returnOverride = 3;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"DEU");
  h.platform.returnOverride = 0;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"");
  h.platform.returnOverride = std::nullopt;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"DEUT");
}

TEST(LogicDetection, CountsOutsideTheBufferAreClampedNotTrusted) {
  FormHarness h;
  h.platform.localeName = L"DES";
  h.platform.returnOverride = -5;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"");
  h.platform.returnOverride = 100000;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"DES");
}

TEST(LogicDetection, AThrowingQueryGivesErrAndEnglish) {
  FormHarness h(seDirectInstall);
  h.platform.localeThrows = true;
  EXPECT_EQ(h.form.ReadLocaleLanguage(), L"ERR");
  h.values.UiLanguage = ulGerman;
  h.form.DetectLanguage();
  EXPECT_EQ(h.values.UiLanguage, ulEnglish);
  EXPECT_EQ(h.view.GetText(Control::lblTumoOnlyInstall), L"Start installation");
}

TEST(LogicDetection, DetectLanguageAppliesTheMatchedLanguage) {
  struct Case {
    std::wstring reported;
    std::optional<int> count;
    TUiLanguage expected;
  };
  const Case cases[] = {
      {L"DEU", {}, ulGerman},      {L"DEA", {}, ulGerman},  {L"DES", {}, ulGerman},
      {L"DE", {}, ulGerman},       {L"DEU ", {}, ulGerman}, {L"\tDES\r\n", {}, ulGerman},
      {L"DEL", {}, ulEnglish},     {L"deu", {}, ulEnglish}, {L"ENU", {}, ulEnglish},
      {L"DEUTSCH", {}, ulEnglish}, {L"DEU", 0, ulEnglish},
  };
  for (const auto& c : cases) {
    FormHarness h(seDirectInstall);
    h.platform.localeName = c.reported;
    h.platform.returnOverride = c.count;
    h.values.UiLanguage = c.expected == ulGerman ? ulEnglish : ulGerman;
    h.form.DetectLanguage();
    EXPECT_EQ(h.values.UiLanguage, c.expected) << std::string(c.reported.begin(), c.reported.end());
    EXPECT_EQ(h.view.GetText(Control::PnlExitTumo),
              c.expected == ulGerman ? L"ABBRECHEN" : L"EXIT");
  }
}

TEST(LogicDetection, LanguageCodeFollowsTheLastFlagWhateverTheLocale) {
  FormHarness h(seChoosePlatform);
  h.platform.localeName = L"DEU";
  h.form.DetectLanguage();
  EXPECT_EQ(h.form.GetLanguageCode(), L"de");
  h.form.Image3Click();
  EXPECT_EQ(h.form.GetLanguageCode(), L"en");
  h.form.Image2Click();
  EXPECT_EQ(h.form.GetLanguageCode(), L"de");
}

// The stand-in query of the native build, driven by the POSIX locale variables.
class LogicPosixLocale : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i])
        setenv(names[i], saved_[i]->c_str(), 1);
      else
        unsetenv(names[i]);
    }
  }
  static std::wstring Query(int capacity = 261) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(capacity), L'\0');
    const int n = NativeSetupPlatform().GetLocaleAbbrevLangName(buffer.data(), capacity);
    if (n == 0) return L"<none>";
    EXPECT_EQ(buffer[static_cast<std::size_t>(n - 1)], L'\0');
    return std::wstring(buffer.data(), static_cast<std::size_t>(n - 1));
  }
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(LogicPosixLocale, NamesFollowLcAllThenLcMessagesThenLang) {
  setenv("LANG", "de_AT.UTF-8", 1);
  EXPECT_EQ(Query(), L"DEA");
  setenv("LC_MESSAGES", "de_CH.UTF-8", 1);
  EXPECT_EQ(Query(), L"DES");
  setenv("LC_ALL", "de_DE.UTF-8@euro", 1);
  EXPECT_EQ(Query(), L"DEU");
  setenv("LC_ALL", "de_LU.UTF-8", 1);
  EXPECT_EQ(Query(), L"DEL");
  setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(Query(), L"ENU");
}

TEST_F(LogicPosixLocale, NoUsableLocaleFailsLikeTheWindowsQuery) {
  EXPECT_EQ(Query(), L"<none>");
  setenv("LANG", "C", 1);
  EXPECT_EQ(Query(), L"<none>");
  setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(Query(), L"<none>");
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(Query(3), L"<none>");
  EXPECT_EQ(Query(4), L"DEU");
}

TEST(LogicPosixPlatform, ModuleFileNameIsThisTestProgram) {
  const auto path = NativeSetupPlatform().ModuleFileName();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), L'/');
  EXPECT_NE(path.find(L"logic_tests"), std::wstring::npos);
}

}  // namespace
