#include "ui/analysis_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "foundation/run_status.h"
#include "foundation/text_file.h"
#include "policies/alignments.h"
#include "policies/tab_config.h"
#include "support/page_actions.h"
#include "support/sheet_fixture.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/message_texts.h"
#include "texts/sheet_topics.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/main_window.h"
#include "ui/output_sheet.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

using FS = FileStructPage;
using TA = TabAnalPage;

// The lines a "changed only" policy file of `set` holds.
std::vector<std::string> ChangedPolicies(const FC& set) {
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    sink.OpenForWrite("policies", 0, 0);
    set.WritePolicyFile(sink, false);
    std::vector<std::string> result;
    for (int i = 0; i < lines.count; ++i) result.push_back(lines.GetAt(i)->text.str());
    return result;
}

// The policy lines of `after` that `before` does not have (section heads and
// blank lines left out).
std::vector<std::string> NewLines(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    std::vector<std::string> added;
    for (const std::string& line : after)
        if (line.find(" : ") != std::string::npos && std::find(before.begin(), before.end(), line) == before.end())
            added.push_back(line);
    return added;
}

class AnalysisSheetTest : public SheetFixture<SheetAnalysis> {
protected:
    AnalysisSheetTest() : SheetFixture("analysis_sheet") {}

    TabConfig& WorkingTable() { return *Working().GetDefaultTabConfig(); }
    void MoveSlider(int id, int value) { ::MoveSlider(sheet->tableAnalysis, id, value); }
};

TEST_F(AnalysisSheetTest, TopicElevenShowsFileStructureAndEveryOtherTopicTableAnalysis) {
    ASSERT_EQ(sheet->PageCount(), 2);
    EXPECT_STREQ(sheet->TabLabel(0), "File structure");
    EXPECT_STREQ(sheet->TabLabel(1), "Table analysis");
    EXPECT_EQ(sheet->Caption().str(), "Analysis Policies");
    const struct {
        int topic;
        const DialogModel* page;
        int recorded;
    } cases[] = {
        {kTopicFileStructure, &sheet->fileStructure, kTopicFileStructure},
        {kTopicTableAnalysis, &sheet->tableAnalysis, kTopicTableAnalysis},
        {kTopicTableGeneration, &sheet->tableAnalysis, kTopicTableAnalysis},
        {0, &sheet->tableAnalysis, kTopicTableAnalysis},
        {1, &sheet->tableAnalysis, kTopicTableAnalysis},
        {-11, &sheet->tableAnalysis, kTopicTableAnalysis},
    };
    for (const auto& c : cases) {
        Open(c.topic);
        EXPECT_EQ(sheet->ActivePage(), c.page) << c.topic;
        EXPECT_TRUE(sheet->ActivePage()->IsShown()) << c.topic;
        EXPECT_EQ(sheet->TopicCode(), c.recorded) << c.topic;
        Press(*sheet, kIdCancel);
    }
    // Reopened without a topic the sheet comes back to the page last shown.
    Open(kTopicFileStructure);
    Ok();
    sheet->CreateWindow();
    EXPECT_EQ(sheet->ActivePage(), &sheet->fileStructure);
}

TEST_F(AnalysisSheetTest, TheJustificationListShowsAndStoresEachAlignment) {
    // List entries: Auto-Detect, Left, Right, Justified, Center.
    const struct {
        int policy;
        int shown;
        const char* text;
    } loads[] = {
        {kAlignmentNone, 0, "Auto-Detect"},
        {kAlignmentLeft, 1, "Left"},
        {kAlignmentCentre, 4, "Center"},
        {kAlignmentRight, 2, "Right"},
        {kAlignmentJustified, 3, "Justified"},
        {7, 0, "Auto-Detect"},
        {-1, 0, "Auto-Detect"},
    };
    for (const auto& c : loads) {
        Working().SetInt(Pol::TextJustification, c.policy, false);
        sheet->ResetChanged();
        Open(kTopicFileStructure);
        const DialogModel& page = sheet->fileStructure;
        EXPECT_EQ(page.Selection(FS::kJustification), c.shown) << c.policy;
        ASSERT_EQ(page.Control(FS::kJustification)->items.size(), 5u);
        EXPECT_EQ(page.Control(FS::kJustification)->items[static_cast<size_t>(c.shown)].str(), c.text) << c.policy;
        Press(*sheet, kIdCancel);
    }

    const struct {
        int index;
        int stored;
    } choices[] = {
        {0, kAlignmentNone}, {1, kAlignmentLeft}, {2, 3}, {3, kAlignmentJustified}, {4, kAlignmentCentre}};
    for (const auto& c : choices) {
        Working().ResetPolicies();
        Working().SetInt(Pol::TextJustification, kAlignmentCentre, false);
        sheet->ResetChanged();
        Open(kTopicFileStructure);
        Pick(sheet->fileStructure, FS::kJustification, c.index);
        Ok();
        EXPECT_EQ(Working().GetInt(Pol::TextJustification), c.stored) << c.index;
        // Picking the entry shown already changes nothing.
        EXPECT_EQ(Working().IsSet(Pol::TextJustification), c.index != 4) << c.index;
    }
}

TEST_F(AnalysisSheetTest, ChangingOneBoxStoresOnlyItsOwnPolicyWithTheBoxValue) {
    const struct {
        int id;
        Pol policy;
    } boxes[] = {
        {FS::kKeepItSimple, Pol::KeepItSimple},      {FS::kCodeSamples, Pol::ExpectCodeSamples},
        {FS::kDoubleSpaced, Pol::InputDoubleSpaced}, {FS::kPageMarkers, Pol::InputPageMarkers},
        {FS::kChangeBars, Pol::InputChangeBars},     {FS::kDosCharacters, Pol::InputDOSCharacters},
        {FS::kJapanese, Pol::InputJapanese},         {FS::kMime, Pol::InputMIME},
        {FS::kPclCodes, Pol::InputPCLCodes},
    };
    for (const auto& box : boxes) {
        for (bool on : {true, false}) {
            // The box starts the other way round.
            dialog->WorkingSet().ResetPolicies();
            Working().SetInt(box.policy, on ? 0 : 1, false);
            dialog->reanalysisNeeded = 0;
            sheet->ResetChanged();
            const std::vector<std::string> before = ChangedPolicies(Working());
            Open(kTopicFileStructure);
            ASSERT_EQ(sheet->fileStructure.IsChecked(box.id), !on) << box.id;
            SetCheck(sheet->fileStructure, box.id, on);
            Ok();
            EXPECT_EQ(Working().GetInt(box.policy), on ? 1 : 0) << box.id;
            EXPECT_TRUE(Working().IsSet(box.policy)) << box.id;
            const std::vector<std::string> added = NewLines(before, ChangedPolicies(Working()));
            ASSERT_EQ(added.size(), 1u) << box.id << ": " << testing::PrintToString(added);
            EXPECT_EQ(added[0].rfind(GetPolicyDefinition(box.policy).key, 0), 0u) << added[0];
            // Every one of them is an analysis policy: the file is analysed
            // again.
            EXPECT_EQ(dialog->reanalysisNeeded, 1) << box.id;
            EXPECT_EQ(dialog->policiesEdited, 1) << box.id;
        }
    }
}

TEST_F(AnalysisSheetTest, ThePageMarkerSizeIsOfferedOnlyWithPageMarkers) {
    Working().SetInt(Pol::PageMarkerSize, 66, false);
    Open(kTopicFileStructure);
    FileStructPage& page = sheet->fileStructure;
    EXPECT_STREQ(page.ControlText(FS::kPageMarkerSize), "66");
    for (bool markers : {true, false, true}) {
        SetCheck(page, FS::kPageMarkers, markers);
        EXPECT_EQ(page.IsEnabled(FS::kPageMarkerSize), markers);
        EXPECT_EQ(page.IsEnabled(FS::kPageMarkerSizeLabel), markers);
    }
    TypeInto(page, FS::kPageMarkerSize, "60");
    Ok();
    EXPECT_EQ(Working().GetInt(Pol::PageMarkerSize), 60);
    EXPECT_TRUE(Working().IsSet(Pol::PageMarkerSize));
    EXPECT_EQ(Working().GetInt(Pol::InputPageMarkers), 1);
}

TEST_F(AnalysisSheetTest, ASeparationBelowOneShowsAsOne) {
    const struct {
        int policy;
        const char* shown;
    } cases[] = {{0, "1"}, {-1, "1"}, {1, "1"}, {4, "4"}};
    for (const auto& c : cases) {
        WorkingTable().SetInt(TabPol::MinColumnSeparation, c.policy, false);
        sheet->ResetChanged();
        Open(kTopicTableAnalysis);
        EXPECT_STREQ(sheet->tableAnalysis.ControlText(TA::kMinSeparation), c.shown) << c.policy;
        // Only what the user changed is stored: the value shown is not.
        Ok();
        EXPECT_EQ(WorkingTable().GetInt(TabPol::MinColumnSeparation), c.policy);
        EXPECT_FALSE(WorkingTable().IsSet(TabPol::MinColumnSeparation));
    }
    // A separation of none is refused, and the field keeps the focus.
    Open(kTopicTableAnalysis);
    sheet->tableAnalysis.SetControlText(TA::kMinSeparation, "0");
    Ok();
    EXPECT_TRUE(sheet->IsShown());
    EXPECT_EQ(services.Messages().size(), 1u);
    EXPECT_FALSE(WorkingTable().IsSet(TabPol::MinColumnSeparation));
}

TEST_F(AnalysisSheetTest, TheSlidersRunFromZeroToTenAndStoreOnlyWhenMoved) {
    WorkingTable().SetInt(TabPol::ExtendingFactor, 3, false);
    WorkingTable().SetInt(TabPol::MergingFactor, 25, false);
    Open(kTopicTableAnalysis);
    TabAnalPage& page = sheet->tableAnalysis;
    for (int id : {TA::kExtendingFactor, TA::kMergingFactor}) {
        EXPECT_EQ(page.Control(id)->rangeMin, 0);
        EXPECT_EQ(page.Control(id)->rangeMax, 10);
    }
    EXPECT_EQ(page.Value(TA::kExtendingFactor), 3);
    EXPECT_FALSE(page.Control(TA::kAttemptTables)->visible);
    EXPECT_FALSE(sheet->IsEnabled(kIdApply));

    // A move that ends where the slider stood changes nothing.
    MoveSlider(TA::kExtendingFactor, 3);
    EXPECT_FALSE(page.SliderChanged(TA::kExtendingFactor));
    EXPECT_FALSE(sheet->IsEnabled(kIdApply));
    MoveSlider(TA::kExtendingFactor, 8);
    EXPECT_TRUE(page.SliderChanged(TA::kExtendingFactor));
    EXPECT_TRUE(sheet->IsEnabled(kIdApply));
    dialog->reanalysisNeeded = 0;
    Press(*sheet, kIdApply);
    EXPECT_TRUE(sheet->IsShown());
    EXPECT_EQ(WorkingTable().GetInt(TabPol::ExtendingFactor), 8);
    EXPECT_TRUE(WorkingTable().IsSet(TabPol::ExtendingFactor));
    // The merging factor beyond the slider's end was not moved: it stays.
    EXPECT_EQ(WorkingTable().GetInt(TabPol::MergingFactor), 25);
    EXPECT_FALSE(WorkingTable().IsSet(TabPol::MergingFactor));
    // The values steer the analysis, not the output.
    EXPECT_EQ(dialog->reanalysisNeeded, 1);
    EXPECT_EQ(dialog->outputChanged[0], 0);
}

TEST_F(AnalysisSheetTest, EachTableValueGoesIntoTheDefaultTableConfiguration) {
    const struct {
        const char* name;
        std::function<void(TabAnalPage&)> change;
        TabPol policy;
        int stored;
    } cases[] = {
        {"sparse", [](TabAnalPage& p) { SetCheck(p, TA::kSparseColumns, true); }, TabPol::ExpectSparseTables, 1},
        {"ignore header", [](TabAnalPage& p) { SetCheck(p, TA::kIgnoreHeader, true); },
         TabPol::IgnoreHeaderInAnalysis, 1},
        {"separation", [](TabAnalPage& p) { TypeInto(p, TA::kMinSeparation, "3"); }, TabPol::MinColumnSeparation, 3},
        {"extending", [](TabAnalPage& p) { ::MoveSlider(p, TA::kExtendingFactor, 0); }, TabPol::ExtendingFactor, 0},
        {"merging", [](TabAnalPage& p) { ::MoveSlider(p, TA::kMergingFactor, 10); }, TabPol::MergingFactor, 10},
    };
    for (const auto& c : cases) {
        dialog->WorkingSet().ResetPolicies();
        sheet->ResetChanged();
        const std::vector<std::string> before = ChangedPolicies(Working());
        Open(kTopicTableAnalysis);
        c.change(sheet->tableAnalysis);
        Ok();
        EXPECT_EQ(WorkingTable().GetInt(c.policy), c.stored) << c.name;
        const std::vector<std::string> added = NewLines(before, ChangedPolicies(Working()));
        ASSERT_EQ(added.size(), 1u) << c.name;
        EXPECT_EQ(added[0].rfind(GetTablePolicyDefinition(c.policy).key, 0), 0u) << added[0];
    }
}

TEST_F(AnalysisSheetTest, OkWithoutAChangeAndCancelStoreNothing) {
    const std::vector<std::string> before = ChangedPolicies(Working());
    Open(kTopicFileStructure);
    sheet->SetActivePageByTopic(kTopicTableAnalysis);
    Ok();
    EXPECT_EQ(ChangedPolicies(Working()), before);
    EXPECT_EQ(dialog->policiesEdited, 0);

    Open(kTopicFileStructure);
    SetCheck(sheet->fileStructure, FS::kJapanese, true);
    MoveSlider(TA::kMergingFactor, 9);
    Press(*sheet, kIdCancel);
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_EQ(ChangedPolicies(Working()), before);
    // Cancel forgot the changes: the next opening shows the set, and OK
    // without a change stores nothing.
    Open(kTopicFileStructure);
    EXPECT_FALSE(sheet->fileStructure.IsChecked(FS::kJapanese));
    EXPECT_EQ(sheet->tableAnalysis.SliderValue(TA::kMergingFactor), WorkingTable().GetInt(TabPol::MergingFactor));
    Ok();
    EXPECT_EQ(ChangedPolicies(Working()), before);
    EXPECT_EQ(dialog->policiesEdited, 0);
}

TEST_F(AnalysisSheetTest, PlacementIsAtTheLeftEdgeUnlessASavedPositionIsKnown) {
    constexpr int kWidth = 400, kHeight = 300;
    const int defaultTop = ScriptedUiServices::kDefaultDesktopHeight - kHeight - BaseSheet::kDesktopMargin;
    const struct {
        int savedLeft, savedTop, left, top;
    } cases[] = {
        {-1, -1, BaseSheet::kDesktopMargin, defaultTop},
        {-5, 100, BaseSheet::kDesktopMargin, defaultTop},
        {100, -5, BaseSheet::kDesktopMargin, defaultTop},
        {0, 0, 0, 0},
        {120, 80, 120, 80},
    };
    sheet->SetWindowSize(kWidth, kHeight);
    for (const auto& c : cases) {
        dialog->settings.windowPositions[kAnalysisLeft] = c.savedLeft;
        dialog->settings.windowPositions[kAnalysisTop] = c.savedTop;
        Open(kTopicFileStructure);
        EXPECT_EQ(sheet->Rect().left, c.left) << c.savedLeft << "," << c.savedTop;
        EXPECT_EQ(sheet->Rect().top, c.top) << c.savedLeft << "," << c.savedTop;
        Press(*sheet, kIdCancel);
    }
    Open(kTopicFileStructure);
    sheet->MoveWindow(33, 44);
    Ok();
    EXPECT_EQ(dialog->settings.windowPositions[kAnalysisLeft], 33);
    EXPECT_EQ(dialog->settings.windowPositions[kAnalysisTop], 44);
    // The output sheet's position is its own.
    EXPECT_NE(dialog->settings.windowPositions[kOutputLeft], 33);
}

TEST_F(AnalysisSheetTest, LabelsListsTabsAndButtonsFollowTheLanguage) {
    // Labels are set when a page is set up, whether tips are shown or not.
    dialog->settings.displayToolTips = false;
    dialog->ChangeLanguage(2);
    Open(kTopicFileStructure);
    EXPECT_STREQ(sheet->fileStructure.ControlText(FS::kPclCodes), GetUiText(471));
    EXPECT_EQ(sheet->Caption().str(), GetUiText(kUiAnalysisSheetCaption));
    EXPECT_STREQ(sheet->TabLabel(0), GetUiText(kUiTabFileStructure));
    EXPECT_STREQ(sheet->TabLabel(1), GetUiText(kUiTabTableAnalysis));
    EXPECT_STREQ(sheet->ControlText(kIdCancel), GetUiText(kUiSheetCancel));
    EXPECT_EQ(sheet->fileStructure.Control(FS::kJustification)->items[4].str(), GetMessageText(67));
    sheet->SetActivePageByTopic(kTopicTableAnalysis);
    EXPECT_STREQ(sheet->tableAnalysis.ControlText(1206), GetUiText(352));
    EXPECT_STRNE(GetUiText(352), "Minimum number of spaces between columns");

    // A change while the sheet is open relabels it, the list keeping its
    // selection.
    sheet->SetActivePageByTopic(kTopicFileStructure);
    Pick(sheet->fileStructure, FS::kJustification, 3);
    dialog->ChangeLanguage(1);
    sheet->ChangeLanguage(1);
    EXPECT_EQ(sheet->Caption().str(), "Analysis Policies");
    EXPECT_STREQ(sheet->TabLabel(1), "Table analysis");
    EXPECT_STREQ(sheet->fileStructure.ControlText(FS::kPclCodes), "Contains PCL printer codes");
    EXPECT_EQ(sheet->fileStructure.Control(FS::kJustification)->items[3].str(), "Justified");
    EXPECT_EQ(sheet->fileStructure.Selection(FS::kJustification), 3);
}

// ---- The values of the Table analysis page in a conversion ----

// The texts of the cells of the table row holding `first`.
std::vector<std::string> RowCells(const std::string& html, const std::string& first) {
    const size_t at = html.find("<TD>" + first);
    if (at == std::string::npos) return {};
    const size_t end = html.find("</TR>", at);
    const std::string row = html.substr(at, end - at);
    std::vector<std::string> cells;
    const std::regex cell("<TD[^>]*>([^<]*)</TD>");
    for (auto it = std::sregex_iterator(row.begin(), row.end(), cell); it != std::sregex_iterator(); ++it)
        cells.push_back((*it)[1].str());
    return cells;
}

TEST_F(AnalysisSheetTest, TheTableValuesSetOnThePageDecideTheColumnsOfAConversion) {
    // Town and code stand one space apart on one line, three or more on the
    // others; staff and sales stand far apart.
    ASSERT_TRUE(WriteWhole(temp / "branches.txt",
                           "Branch figures for the year\n"
                           "\n"
                           "Town       Code Staff  Sales\n"
                           "Leeds      LS1    12   7900\n"
                           "York       YO1     8   2100\n"
                           "Hull       HU1     9   2600\n"
                           "Bradford   BD1    15   5400\n"
                           "Sheffield  S1     21   8800\n"
                           "Middlesbro TS1    11   3000\n"
                           "Harrogate  HG1     6   1900\n"
                           "\n"
                           "End of figures.\n"));
    const struct {
        const char* separation;  // typed, or null for the default
        bool sparse;
        std::vector<std::string> leeds;
    } cases[] = {
        {nullptr, false, {"Leeds", "LS1", "12", "7900"}},
        {"3", false, {"Leeds      LS1", "12", "7900"}},
        {"2", true, {"Leeds      LS1    12", "7900"}},
    };
    const std::string folder = temp.Path().string() + "/";
    for (const auto& c : cases) {
        dialog->WorkingSet().ResetPolicies();
        dialog->policiesEdited = 0;
        sheet->ResetChanged();
        Open(kTopicTableAnalysis);
        if (c.separation != nullptr) TypeInto(sheet->tableAnalysis, TA::kMinSeparation, c.separation);
        if (c.sparse) SetCheck(sheet->tableAnalysis, TA::kSparseColumns, true);
        Ok();
        dialog->SetInputDirectory(TextString(folder.c_str()));
        dialog->SetOutputDirectory(TextString(folder.c_str()));
        dialog->SetInputFileSpec(TextString((folder + "branches.txt").c_str()));
        dialog->SetFileName(TextString("branches.html"));
        ASSERT_TRUE(dialog->RunConversion());
        const std::string html = ReadWhole(temp / "branches.html");
        EXPECT_EQ(RowCells(html, "Leeds"), c.leeds) << (c.separation ? c.separation : "default") << html;
    }
}

// ---- The sheet in the main window ----

class AnalysisSheetWindowTest : public testing::Test {
protected:
    TempFolder temp{"analysis_window"};
    ScriptedUiServices services;
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        TheConsoleStatus().consoleEcho = false;
        window = std::make_unique<MainWindow>(services, (temp / "settings").string());
        window->settings.autoDdeUpdates = false;
        window->settings.viewResults = false;
        window->Show();
        services.ClearLog();
    }
    void TearDown() override {
        window.reset();
        TheConsoleStatus().consoleEcho = true;
    }
};

TEST_F(AnalysisSheetWindowTest, TheMenuOpensTheSheetOnThePageOfItsCommand) {
    EXPECT_EQ(window->AnalysisSheet(), nullptr);
    const struct {
        int command;
        int tab;
    } cases[] = {{kCommandAnalysisTables, 1}, {kCommandAnalysisFileStructure, 0}, {kCommandAnalysisTables, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(window->OnCommand(c.command));
        SheetAnalysis* sheet = window->AnalysisSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_TRUE(sheet->IsShown());
        EXPECT_EQ(sheet->ActivePageIndex(), c.tab) << c.command;
        EXPECT_EQ(sheet->Target(), &window->WorkingSet());
    }
    EXPECT_TRUE(services.Log().empty() || services.Messages().empty());
}

TEST_F(AnalysisSheetWindowTest, ReapplyingShowsThePolicyFileUnderTheUsersChanges) {
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisFileStructure));
    SheetAnalysis& sheet = *window->AnalysisSheet();
    FileStructPage& page = sheet.fileStructure;

    // The policy file asks for a double-spaced file with DOS characters.
    window->PolicyFileSet().SetInt(Pol::InputDoubleSpaced, 1);
    window->PolicyFileSet().SetInt(Pol::InputDOSCharacters, 1);
    window->policyFileLoaded = 1;
    // The user's edits count only once the user has edited policies.
    window->WorkingSet().SetInt(Pol::InputDOSCharacters, 0);
    window->ReapplyPolicies();
    EXPECT_TRUE(page.IsChecked(FS::kDoubleSpaced));
    EXPECT_TRUE(page.IsChecked(FS::kDosCharacters));
    window->policiesEdited = 1;
    window->ReapplyPolicies();
    EXPECT_FALSE(page.IsChecked(FS::kDosCharacters));
    // Without the loaded file only the analysed file's policies remain.
    window->policyFileLoaded = 0;
    window->policiesEdited = 0;
    window->ReapplyPolicies();
    EXPECT_FALSE(page.IsChecked(FS::kDoubleSpaced));

    // A box the user changed keeps the user's value.
    SetCheck(page, FS::kMime, true);
    window->ReapplyPolicies();
    EXPECT_TRUE(page.IsChecked(FS::kMime));
}

TEST_F(AnalysisSheetWindowTest, TheSheetOpensOnTheLoadedPolicyFileUnderTheUsersChanges) {
    const fs::path file = temp / "analysis.pol";
    ASSERT_TRUE(WriteWhole(file,
                           "Input file is double spaced : Yes\n"
                           "Input file contains DOS characters : Yes\n"
                           "Expect sparse tables : Yes\n"));
    window->Dialog().SetControlText(MainWindow::kPolicyCombo, file.c_str());
    window->Dialog().Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
    ASSERT_EQ(window->policyFileLoaded, 1);
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisFileStructure));
    SheetAnalysis& sheet = *window->AnalysisSheet();
    EXPECT_TRUE(sheet.fileStructure.IsChecked(FS::kDoubleSpaced));
    EXPECT_TRUE(sheet.fileStructure.IsChecked(FS::kDosCharacters));
    EXPECT_TRUE(sheet.tableAnalysis.Bound(TA::kSparseColumns)->number);
    // The user's change goes into the working set and is shown over the
    // file's at the next opening.
    SetCheck(sheet.fileStructure, FS::kDosCharacters, false);
    Press(sheet, kIdOk);
    EXPECT_TRUE(window->WorkingSet().IsSet(Pol::InputDOSCharacters));
    EXPECT_FALSE(window->WorkingSet().IsSet(Pol::InputDoubleSpaced));
    sheet.ResetChanged();
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisFileStructure));
    EXPECT_TRUE(sheet.fileStructure.IsChecked(FS::kDoubleSpaced));
    EXPECT_FALSE(sheet.fileStructure.IsChecked(FS::kDosCharacters));
}

TEST_F(AnalysisSheetWindowTest, ResetToDefaultsClearsTheSheetsChanges) {
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisTables));
    TabAnalPage& page = window->AnalysisSheet()->tableAnalysis;
    TypeInto(page, TA::kMinSeparation, "6");
    SetCheck(page, TA::kSparseColumns, true);
    ASSERT_TRUE(page.Bound(TA::kMinSeparation)->changed);
    window->ResetToDefaults();
    EXPECT_STREQ(page.ControlText(TA::kMinSeparation), "1");
    EXPECT_FALSE(page.IsChecked(TA::kSparseColumns));
    EXPECT_FALSE(page.AnyChanged());
}

TEST_F(AnalysisSheetWindowTest, ALanguageChosenFromTheMenuRelabelsTheOpenSheet) {
    ASSERT_TRUE(window->OnCommand(kCommandAnalysisFileStructure));
    ASSERT_TRUE(window->OnCommand(kCommandLanguageGerman));
    SheetAnalysis& sheet = *window->AnalysisSheet();
    EXPECT_EQ(sheet.Caption().str(), GetUiText(kUiAnalysisSheetCaption));
    EXPECT_NE(sheet.Caption().str(), "Analysis Policies");
    EXPECT_STREQ(sheet.TabLabel(0), GetUiText(kUiTabFileStructure));
    window->ChangeLanguage(1);
}

}  // namespace
