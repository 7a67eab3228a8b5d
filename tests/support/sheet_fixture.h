// A fixture for the tests of a property sheet and its pages: a main dialog
// whose settings lie in a temporary folder, driven by scripted services,
// with no status echo on the console, results not viewed, and the sheet
// made over it.  The sheet edits the main dialog's working set and is
// loaded from it.  OutputSheetFixture serves the "Output Policies" sheet,
// its pages and the advanced HTML options.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "support/page_actions.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/language_texts.h"
#include "ui/output_sheet.h"
#include "ui/scripted_services.h"

template <class SheetType>
class SheetFixture : public testing::Test {
protected:
    explicit SheetFixture(const char* folderPrefix) : temp(folderPrefix) {}

    TempFolder temp;
    ScriptedUiServices services;
    std::unique_ptr<MainDialog> dialog;
    std::unique_ptr<SheetType> sheet;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        TheConsoleStatus().consoleEcho = false;
        dialog = std::make_unique<MainDialog>(services, (temp / "settings").string());
        dialog->settings.viewResults = false;
        dialog->settings.autoDdeUpdates = false;
        sheet = std::make_unique<SheetType>(*dialog, services);
    }
    void TearDown() override {
        sheet.reset();
        // A test that switched the language leaves English behind.
        if (dialog) dialog->ChangeLanguage(kLanguageEnglish);
        dialog.reset();
        TheConsoleStatus().consoleEcho = true;
    }

    FC& Working() { return dialog->WorkingSet(); }
    // Opens the sheet on the page of `topic`, loaded from the working set.
    void Open(int topic) { sheet->Open(Working(), Working(), dialog->SixthSet(), topic); }
    // Loads the pages again from the working set (the sheet stays as it is).
    void Reload() { sheet->LoadPages(Working(), dialog->SixthSet()); }
    void Ok() { Press(*sheet, kIdOk); }
    // The full path of `name` in the test folder.
    std::string Path(const char* name) const { return (temp / name).string(); }
};

using OutputSheetFixture = SheetFixture<Sheet>;
