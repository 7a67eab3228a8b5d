// A fixture for the tests of the dialogs the main dialog opens: a main
// dialog whose settings lie in a temporary folder, driven by scripted
// services, with no status echo on the console and English texts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "texts/language_texts.h"
#include "ui/scripted_services.h"

class DialogOwnerTest : public testing::Test {
protected:
    TempFolder temp{"dialog owner"};
    std::filesystem::path folder = temp.Path();
    std::optional<ScopedEnv> config;
    ScriptedUiServices services;
    std::unique_ptr<MainDialog> owner;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        config.emplace("XDG_CONFIG_HOME", (folder / "config").c_str());
        TheConsoleStatus().consoleEcho = false;
        TheStatusWindow().Clear();
        owner = std::make_unique<MainDialog>(services, (folder / "settings").string());
    }
    void TearDown() override {
        if (owner) owner->ChangeLanguage(kLanguageEnglish);
        owner.reset();
        TheConsoleStatus().consoleEcho = true;
    }
    // The full path of `name` in the test folder.
    std::string PathOf(const std::string& name) const { return (folder / name).string(); }
    TextString TextPathOf(const std::string& name) const { return TextString(PathOf(name).c_str()); }
};
