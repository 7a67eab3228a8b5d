// The stand-in front end that loads the windows' module when a window is
// wanted: where the module is looked for, and that a module missing, broken,
// without its entry or making no front end leaves the program as a build
// without windows, silently.  The module loaded here is a test module with
// no toolkit (test_front_end_module.cpp).
#include "app/front_end_module.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "app/batch_mode.h"
#include "foundation/run_status.h"
#include "support/temp_folder.h"
#include "ui/scripted_services.h"

namespace {

using Places = std::vector<std::string>;

TEST(FrontEndModulePlacesTest, BesideTheProgramThenAtTheInstalledPlace) {
    const struct {
        const char* program;
        const char* installed;
        Places places;
    } cases[] = {
        {"/opt/v/bin/vendrel", "../lib/vendrel", {"/opt/v/bin/m.so", "/opt/v/bin/../lib/vendrel/m.so"}},
        {"/opt/v/bin/vendrel", "../lib/vendrel/", {"/opt/v/bin/m.so", "/opt/v/bin/../lib/vendrel/m.so"}},
        {"/opt/v/bin/vendrel", "/usr/lib/vendrel", {"/opt/v/bin/m.so", "/usr/lib/vendrel/m.so"}},
        {"/opt/v/bin/vendrel", "", {"/opt/v/bin/m.so"}},
        {"/vendrel", "lib", {"/m.so", "/lib/m.so"}},
        // The program's file not known: nowhere to look.
        {"", "../lib/vendrel", {}},
        {"vendrel", "../lib/vendrel", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " | " + c.installed);
        EXPECT_EQ(FrontEndModulePlaces(c.program, "m.so", c.installed), c.places);
    }
}

class ModuleFrontEndTest : public testing::Test {
protected:
    TempFolder temp{"front_end_module"};
    ScriptedUiServices console;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        ASSERT_TRUE(WriteWhole(temp / "broken.so", "not a shared object\n"));
        TheRunStatus().Reset();
    }
    void TearDown() override { TheRunStatus().Reset(); }

    std::string Broken() const { return (temp / "broken.so").string(); }
    std::string Missing() const { return (temp / "missing.so").string(); }
};

TEST_F(ModuleFrontEndTest, AModuleThatCannotServeIsNoFrontEndAndSaysNothing) {
    const struct {
        const char* why;
        Places places;
    } cases[] = {
        {"nowhere to look", {}},
        {"missing", {Missing()}},
        {"not a shared object", {Broken()}},
        // A library of the system: it loads but has no entry.
        {"no entry", {"libm.so.6"}},
        {"an entry that makes nothing", {VENDREL_TEST_MODULE_MAKING_NOTHING}},
        // Found when it opens, not at the call that would crash.
        {"a routine the program lacks", {VENDREL_TEST_MODULE_UNRESOLVED}},
        {"every place fails", {Missing(), Broken(), "libm.so.6", VENDREL_TEST_MODULE_MAKING_NOTHING}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ModuleFrontEnd frontEnd(c.places, nullptr);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(frontEnd.HasMainWindow());
        EXPECT_FALSE(frontEnd.Start());
        // Tried once: a second window wanted later fails the same way.
        EXPECT_FALSE(frontEnd.Start());
        EXPECT_EQ(frontEnd.Loaded(), nullptr);
        MainDialog dialog(console, (temp / "settings").string());
        EXPECT_EQ(frontEnd.RunMainWindow(dialog), kExitNoWindow);
        frontEnd.AttachStatusWindow(dialog);
        frontEnd.RunBegins();
        frontEnd.RunEnds();
        frontEnd.DialogEnding(dialog);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(TheRunStatus().Failed());
    }
}

TEST_F(ModuleFrontEndTest, TheFirstPlaceWhoseModuleMakesAFrontEndServes) {
    const struct {
        const char* why;
        Places places;
    } cases[] = {
        {"beside the program", {VENDREL_TEST_MODULE}},
        {"at the installed place", {Missing(), VENDREL_TEST_MODULE}},
        {"after places that fail",
         {Broken(), "libm.so.6", VENDREL_TEST_MODULE_MAKING_NOTHING, VENDREL_TEST_MODULE_UNRESOLVED,
          VENDREL_TEST_MODULE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TheRunStatus().Reset();
        ModuleFrontEnd frontEnd(c.places, nullptr);
        // Nothing is loaded before a window is wanted.
        EXPECT_EQ(frontEnd.Loaded(), nullptr);
        ASSERT_TRUE(frontEnd.Start());
        ASSERT_NE(frontEnd.Loaded(), nullptr);
        // The module's front end reached this program's run status: one
        // copy of the engine's globals in the process.
        EXPECT_TRUE(TheRunStatus().Failed());
        EXPECT_EQ(&frontEnd.Services(), &frontEnd.Loaded()->Services());
        MainDialog dialog(console, (temp / "settings").string());
        EXPECT_EQ(frontEnd.RunMainWindow(dialog), 42);
    }
}

TEST_F(ModuleFrontEndTest, TheMainDialogIsMadeWithoutLoadingTheModule) {
    static std::string settings;
    settings = (temp / "settings").string();
    ModuleFrontEnd frontEnd({VENDREL_TEST_MODULE},
                            [](UiServices& services) { return std::make_unique<MainDialog>(services, settings); });
    const std::unique_ptr<MainDialog> made = frontEnd.MakeMainDialog(console);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(&made->services, &console);
    EXPECT_EQ(frontEnd.Loaded(), nullptr);
    // Without a maker: the plain data half, made by the caller.
    ModuleFrontEnd plain({VENDREL_TEST_MODULE}, nullptr);
    EXPECT_EQ(plain.MakeMainDialog(console), nullptr);
}

}  // namespace
