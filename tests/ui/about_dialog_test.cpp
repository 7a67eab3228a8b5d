#include "ui/about_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/dialog_owner.h"
#include "support/message_lines.h"
#include "support/recording_program.h"
#include "support/scoped_env.h"
#include "foundation/product_identity.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/language_texts.h"
#include "ui/main_window.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

class AboutDialogTest : public DialogOwnerTest {
protected:
    fs::path record;
    void SetUp() override {
        DialogOwnerTest::SetUp();
        record = folder / "argv.txt";
        ASSERT_TRUE(WriteRecordingProgram(folder / "browser", record));
        owner->settings.browserCommand = TextPathOf("browser");
    }
    // Presses a button of the About box in a modal run, then OK.
    int Press(int id) {
        services.QueueRun().Press(id).Press(kIdOk);
        return RunAboutDialog(*owner);
    }
};

TEST_F(AboutDialogTest, ShowsTheVersionAndTheAddressesInEveryLanguage) {
    struct Case {
        int language;
        const char* caption;
        const char* homePageLabel;
    };
    const Case cases[] = {{kLanguageEnglish, "About Vendrel", "Home page :"},
                          {kLanguageGerman, "Über Vendrel", "Homepage:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        owner->ChangeLanguage(c.language);
        AboutDialog dialog(*owner);
        dialog.CreateWindow();
        EXPECT_EQ(dialog.ShownLanguage(), c.language);
        EXPECT_EQ(dialog.Caption().str(), c.caption);
        EXPECT_STREQ(dialog.ControlText(kAboutVersionLine), "Vendrel Version 4.04 - August 2002 release");
        EXPECT_STREQ(dialog.ControlText(kAboutHomePage), "http://www.halvex.com/vendrel/");
        EXPECT_STREQ(dialog.ControlText(kAboutDocumentation), "http://www.halvex.com/doco/vdrdoco.html");
        EXPECT_STREQ(dialog.ControlText(kAboutEmail), "vendrel@halvex.com");
        EXPECT_STREQ(dialog.ControlText(kAboutHomePageLabel), c.homePageLabel);
    }
}

TEST_F(AboutDialogTest, TheWebButtonsShowTheirPagesInTheBrowser) {
    struct Case {
        int button;
        const char* address;
    };
    const Case cases[] = {
        {kAboutHomePage, "http://www.halvex.com/vendrel/?home&p=Vendrel"},
        {kAboutDocumentation, "http://www.halvex.com/doco/vdrdoco.html?doco&p=Vendrel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        fs::remove(record);
        EXPECT_EQ(Press(c.button), kIdOk);
        EXPECT_EQ(ReceivedArguments(record), std::string("1\n[") + c.address + "]\n");
    }
    // In another language the page is the same; the site is told the language.
    owner->ChangeLanguage(kLanguageGerman);
    fs::remove(record);
    Press(kAboutHomePage);
    EXPECT_EQ(ReceivedArguments(record), "1\n[http://www.halvex.com/vendrel/?home&p=Vendrel&l=g]\n");
    EXPECT_TRUE(services.Messages().empty());
}

TEST_F(AboutDialogTest, TheMailButtonHandsOneMailtoAddressToTheMailProgram) {
    const fs::path programs = folder / "programs";
    fs::create_directory(programs);
    ASSERT_TRUE(WriteRecordingProgram(programs / "xdg-email", record));
    ScopedEnv path("PATH", programs.c_str());
    EXPECT_EQ(Press(kAboutEmail), kIdOk);
    EXPECT_EQ(ReceivedArguments(record), "1\n[mailto:vendrel@halvex.com?subject=Vendrel%20question]\n");
    EXPECT_TRUE(services.Messages().empty());
}

TEST_F(AboutDialogTest, WithoutAMailProgramTheUserIsToldOnce) {
    const fs::path programs = folder / "no programs";
    fs::create_directory(programs);
    ScopedEnv path("PATH", programs.c_str());
    Press(kAboutEmail);
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Email error: Failed to auto-detect email client"});
    EXPECT_FALSE(fs::exists(record));
}

TEST(AboutDocumentationTest, TheAboutBoxAndTheHelpMenuShowOneDocumentationPage) {
    TextString menuPage;
    GetMakerWebPage(kWebDocumentationPath, "", menuPage);
    EXPECT_EQ(AboutDialog::DocumentationAddress().str(), menuPage.str());
}

TEST_F(AboutDialogTest, HelpAboutOpensTheAboutBox) {
    MainWindow window(services, PathOf("window settings"));
    services.QueueRun().Press(kIdOk);
    EXPECT_TRUE(window.OnCommand(kCommandAbout));
    ASSERT_FALSE(services.Log().empty());
    EXPECT_EQ(services.Log().back().kind, ServiceCallKind::kRunModal);
    EXPECT_EQ(services.Log().back().number, kAboutDialogId);
    EXPECT_EQ(services.PendingRuns(), 0);
}

}  // namespace
