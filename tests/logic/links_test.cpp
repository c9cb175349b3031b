#include <gtest/gtest.h>

#include "tests/support/fakes.h"
#include "logic/links.h"
#include "logic/setup_form.h"
#include "config/build_options.h"

namespace {

struct Harness : FormHarness {
  explicit Harness(TUiLanguage language) : FormHarness(seChoosePlatform) {
    form.ApplyLanguage(language);
    form.ShowStartPage();
    form.lblMoreClick();
    view.events.clear();
  }
};

TEST(LogicLinks, ContactAddressFollowsTheLanguageAtTheClick) {
  const std::wstring english =
      std::wstring(L"https://") + START_SITE_EN_W + L"/en/support/contact-us/";
  const std::wstring german = std::wstring(L"https://") + START_SITE_DE_W + L"/kontakt/";
  EXPECT_EQ(ContactAddress(ulEnglish), english);
  EXPECT_EQ(ContactAddress(ulGerman), german);

  Harness h(ulGerman);
  h.form.Image1Click();
  h.form.Image3Click();
  h.form.Image1Click();
  EXPECT_EQ(h.platform.opened, (std::vector<std::wstring>{german, english}));
}

TEST(LogicLinks, ProgramFolderEndsAtTheLastBackslashOrColon) {
  EXPECT_EQ(ProgramFolder(L"C:\\Program Files\\Marlek\\start.exe"), L"C:\\Program Files\\Marlek\\");
  EXPECT_EQ(ProgramFolder(L"C:\\start.exe"), L"C:\\");
  EXPECT_EQ(ProgramFolder(L"C:start.exe"), L"C:");
  EXPECT_EQ(ProgramFolder(L"D:\\a:b\\c.exe"), L"D:\\a:b\\");
  EXPECT_EQ(ProgramFolder(L"\\\\server\\share\\start.exe"), L"\\\\server\\share\\");
  EXPECT_EQ(ProgramFolder(L"start.exe"), L"");
  EXPECT_EQ(ProgramFolder(L""), L"");
}

TEST(LogicLinks, EveryLocalTargetInBothLanguages) {
  struct Case {
    void (SetupForm::*click)();
    const wchar_t* german;
    const wchar_t* english;
  };
  const Case cases[] = {
      {&SetupForm::lblMorePavoWindowsClick, L"de\\PDF\\tumo.pdf", L"en\\PDF\\pavo.pdf"},
      {&SetupForm::lblMorePavoAndroidClick, L"de\\PDF\\android-wachtwerk.pdf",
       L"en\\PDF\\pavo.pdf"},
      {&SetupForm::lblMoreRiloClick, L"de\\PDF\\rilo.pdf", L"en\\PDF\\rilo.pdf"},
      {&SetupForm::lblMoreSoftwareRiloClick, L"de\\PRG\\rilo.exe", L"en\\PRG\\rilo.exe"},
  };
  const std::wstring prefix = L"C:\\Program Files\\Marlek\\\\bin\\";
  for (const auto& c : cases) {
    for (const auto language : {ulGerman, ulEnglish}) {
      Harness h(language);
      (h.form.*c.click)();
      ASSERT_EQ(h.platform.opened.size(), 1u);
      EXPECT_EQ(h.platform.opened[0], prefix + (language == ulGerman ? c.german : c.english));
      EXPECT_EQ(h.Shown(), tsh4);
      EXPECT_TRUE(h.view.events.empty());
    }
  }
}

TEST(LogicLinks, ProgramInTheRootFolderOfADrive) {
  EXPECT_EQ(LocalTargetPath(L"C:\\start.exe", ulGerman, LocalTarget::PavoWindowsManual),
            L"C:\\\\bin\\de\\PDF\\tumo.pdf");
  EXPECT_EQ(LocalTargetPath(L"E:\\start.exe", ulEnglish, LocalTarget::RiloProgram),
            L"E:\\\\bin\\en\\PRG\\rilo.exe");
  EXPECT_EQ(LocalTargetPath(L"C:start.exe", ulGerman, LocalTarget::RiloManual),
            L"C:\\bin\\de\\PDF\\rilo.pdf");
  EXPECT_EQ(LocalTargetPath(L"start.exe", ulEnglish, LocalTarget::PavoAndroidManual),
            L"\\bin\\en\\PDF\\pavo.pdf");
}

TEST(LogicLinks, ALanguageSwitchJustBeforeAClickChangesFolderAndFile) {
  Harness h(ulGerman);
  h.platform.moduleFile = L"Z:\\m\\start.exe";
  h.form.lblMorePavoAndroidClick();
  h.form.Image3Click();
  h.form.lblMoreClick();
  h.form.lblMorePavoAndroidClick();
  EXPECT_EQ(h.platform.opened,
            (std::vector<std::wstring>{L"Z:\\m\\\\bin\\de\\PDF\\android-wachtwerk.pdf",
                                       L"Z:\\m\\\\bin\\en\\PDF\\pavo.pdf"}));
}

TEST(LogicLinks, CompanionProgramEndsTheLauncherWhateverTheShellDid) {
  {
    Harness h(ulEnglish);
    h.form.lblMoreSoftwareRiloClick();
    EXPECT_EQ(h.app.exits, 1);
  }
  {
    Harness h(ulGerman);
    h.platform.shellThrows = true;
    EXPECT_NO_THROW(h.form.lblMoreSoftwareRiloClick());
    EXPECT_EQ(h.platform.opened.size(), 1u);
    EXPECT_EQ(h.app.exits, 1);
  }
  {
    Harness h(ulGerman);
    h.platform.moduleThrows = true;
    EXPECT_NO_THROW(h.form.lblMoreSoftwareRiloClick());
    EXPECT_TRUE(h.platform.opened.empty());
    EXPECT_EQ(h.app.exits, 1);
  }
}

TEST(LogicLinks, AFailedHandOverChangesNothing) {
  Harness h(ulGerman);
  h.platform.shellThrows = true;
  EXPECT_NO_THROW(h.form.lblMoreRiloClick());
  EXPECT_NO_THROW(h.form.Image1Click());
  EXPECT_EQ(h.platform.opened.size(), 2u);
  EXPECT_EQ(h.Shown(), tsh4);
  EXPECT_TRUE(h.view.events.empty());
  EXPECT_EQ(h.app.exits, 0);
}

}  // namespace
