#include "ui/output_sheet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "context/context.h"
#include "app/conversion_run.h"
#include "foundation/run_status.h"
#include "foundation/text_file.h"
#include "policies/tab_config.h"
#include "support/sheet_fixture.h"
#include "support/page_actions.h"
#include "texts/dialog_ids.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/colour_picker.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

// The lines a "changed only" policy file of `set` holds.
std::string ChangedPolicies(const FC& set) {
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    sink.OpenForWrite("policies", 0, 0);
    set.WritePolicyFile(sink, false);
    std::string text;
    for (int i = 0; i < lines.count; ++i) text += lines.GetAt(i)->text.str() + "\n";
    return text;
}

// A policy file writes a colour in its own form ("#FAFAFA" for "fafafa"):
// the field shows the same colour.
void ExpectColour(const DialogModel& page, int id, const char* colour) {
    EXPECT_EQ(ColourTextToRGB(page.ControlText(id)), ColourTextToRGB(colour)) << page.ControlText(id);
}

int IndexOf(const std::vector<TextString>& items, const char* text) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].view() == text) return static_cast<int>(i);
    return -1;
}

class OutputSheetTest : public OutputSheetFixture {
protected:
    OutputSheetTest() : OutputSheetFixture("output_sheet") {}
};

TEST_F(OutputSheetTest, TheTabsStandInTheirOrderWithTheirTopics) {
    const struct {
        const char* label;
        int topic;
    } tabs[] = {{"Added HTML", 1},       {"Document colours", 4}, {"Fonts", 12},           {"Hyperlinks", 15},
                {"Document details", 9}, {"RTF Settings", 23},    {"Table generation", 32}};
    ASSERT_EQ(sheet->PageCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(sheet->TabLabel(i), tabs[i].label);
        EXPECT_EQ(static_cast<OptionPage&>(sheet->Page(i)).TopicCode(), tabs[i].topic);
    }
}

TEST_F(OutputSheetTest, TopicCodesSelectTheirPages) {
    const struct {
        int topic;
        const DialogModel* page;
    } cases[] = {
        {1, &sheet->addedHtml},   {4, &sheet->colours},      {12, &sheet->fonts},     {15, &sheet->hyperlinks},
        {9, &sheet->rtfDocument}, {23, &sheet->rtfSettings}, {32, &sheet->table},     {0, &sheet->addedHtml},
        {2, &sheet->addedHtml},   {8, &sheet->addedHtml},    {-7, &sheet->addedHtml},
    };
    Open(kTopicTableGeneration);
    for (const auto& c : cases) {
        sheet->SetActivePageByTopic(c.topic);
        EXPECT_EQ(sheet->ActivePage(), c.page) << c.topic;
        EXPECT_TRUE(sheet->ActivePage()->IsShown()) << c.topic;
        // The page shown records its own topic, so the next opening comes
        // back to it.
        EXPECT_EQ(sheet->TopicCode(), static_cast<const OptionPage*>(c.page)->TopicCode()) << c.topic;
    }
    sheet->SetActivePageByTopic(kTopicRtfSettings);
    Ok();
    ASSERT_FALSE(sheet->HasWindow());
    sheet->CreateWindow();
    EXPECT_EQ(sheet->ActivePage(), &sheet->rtfSettings);
}

TEST_F(OutputSheetTest, OkWithoutAChangeStoresNothing) {
    const std::string before = ChangedPolicies(Working());
    Open(kTopicTitleAndDescription);
    for (int topic : {4, 12, 15, 9, 23, 32}) sheet->SetActivePageByTopic(topic);
    Ok();
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_EQ(ChangedPolicies(Working()), before);
    EXPECT_EQ(dialog->policiesEdited, 0);
}

TEST_F(OutputSheetTest, ApplyStoresEveryPageAndKeepsTheSheetOpen) {
    Open(kTopicDocumentColours);
    EXPECT_FALSE(sheet->IsEnabled(kIdApply));
    TypeInto(sheet->colours, ColoursPage::kBackground, "336699");
    EXPECT_TRUE(sheet->IsEnabled(kIdApply));
    sheet->SetActivePageByTopic(kTopicTableGeneration);
    TypeInto(sheet->table, TablePage::kBorderSize, "5");
    Press(*sheet, kIdApply);
    EXPECT_TRUE(sheet->IsShown());
    EXPECT_FALSE(sheet->IsEnabled(kIdApply));
    EXPECT_EQ(Working().GetText(Pol::BackgroundColour).str(), "336699");
    EXPECT_TRUE(Working().IsSet(Pol::BackgroundColour));
    EXPECT_EQ(Working().GetDefaultTabConfig()->GetInt(TabPol::BorderSize), 5);
    EXPECT_TRUE(Working().GetDefaultTabConfig()->IsSet(TabPol::BorderSize));
    EXPECT_EQ(dialog->policiesEdited, 1);
    // Both are output changes.
    EXPECT_EQ(dialog->outputChanged[0], 1);
}

TEST_F(OutputSheetTest, CancelDiscardsWhatWasChangedAndKeepsWhatWasApplied) {
    const std::string before = ChangedPolicies(Working());
    const std::string defaultText = Working().GetText(Pol::TextColour).str();
    Open(kTopicDocumentColours);
    TypeInto(sheet->colours, ColoursPage::kText, "Navy");
    Press(*sheet, kIdCancel);
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_FALSE(Working().IsSet(Pol::TextColour));
    // Opened again, the sheet shows the set; OK without a change stores
    // nothing.
    Open(kTopicDocumentColours);
    EXPECT_EQ(sheet->colours.ControlText(ColoursPage::kText), defaultText);
    EXPECT_FALSE(sheet->colours.AnyChanged());
    Ok();
    EXPECT_EQ(ChangedPolicies(Working()), before);
    EXPECT_EQ(dialog->policiesEdited, 0);

    // What Apply stored stays stored; what was changed after it is dropped.
    Open(kTopicDocumentColours);
    TypeInto(sheet->colours, ColoursPage::kText, "Navy");
    Press(*sheet, kIdApply);
    TypeInto(sheet->colours, ColoursPage::kBackground, "336699");
    Press(*sheet, kIdCancel);
    EXPECT_EQ(Working().GetText(Pol::TextColour).str(), "Navy");
    EXPECT_FALSE(Working().IsSet(Pol::BackgroundColour));
    Open(kTopicDocumentColours);
    EXPECT_STREQ(sheet->colours.ControlText(ColoursPage::kText), "Navy");
    TypeInto(sheet->colours, ColoursPage::kLink, "Red");
    Ok();
    EXPECT_EQ(Working().GetText(Pol::UnvisitedLinkColour).str(), "Red");
    EXPECT_FALSE(Working().IsSet(Pol::BackgroundColour));
}

TEST_F(OutputSheetTest, PlacementFollowsTheSavedPositionOnlyWhenBothCoordinatesAreKnown) {
    constexpr int kWidth = 400, kHeight = 300;
    const int defaultLeft = ScriptedUiServices::kDefaultDesktopWidth - kWidth - BaseSheet::kDesktopMargin;
    const int defaultTop = ScriptedUiServices::kDefaultDesktopHeight - kHeight - BaseSheet::kDesktopMargin;
    const struct {
        int savedLeft, savedTop, left, top;
    } cases[] = {
        {-1, -1, defaultLeft, defaultTop},
        {-5, 100, defaultLeft, defaultTop},
        {100, -5, defaultLeft, defaultTop},
        {0, 0, 0, 0},
        {120, 80, 120, 80},
        // A saved place that would put part of the window off the desktop
        // (a wider sheet after a change of language) is moved onto it.
        {ScriptedUiServices::kDefaultDesktopWidth - 100, 80, ScriptedUiServices::kDefaultDesktopWidth - kWidth, 80},
        {5000, 5000, ScriptedUiServices::kDefaultDesktopWidth - kWidth,
         ScriptedUiServices::kDefaultDesktopHeight - kHeight},
    };
    sheet->SetWindowSize(kWidth, kHeight);
    for (const auto& c : cases) {
        dialog->settings.windowPositions[kOutputLeft] = c.savedLeft;
        dialog->settings.windowPositions[kOutputTop] = c.savedTop;
        Open(kTopicTitleAndDescription);
        EXPECT_EQ(sheet->Rect().left, c.left) << c.savedLeft << "," << c.savedTop;
        EXPECT_EQ(sheet->Rect().top, c.top) << c.savedLeft << "," << c.savedTop;
        Press(*sheet, kIdCancel);
    }
    // Closing keeps where the user left the window.
    Open(kTopicTitleAndDescription);
    sheet->MoveWindow(33, 44);
    Ok();
    EXPECT_EQ(dialog->settings.windowPositions[kOutputLeft], 33);
    EXPECT_EQ(dialog->settings.windowPositions[kOutputTop], 44);
}

TEST_F(OutputSheetTest, ALanguageChangeRelabelsTabsCaptionAndButtons) {
    Open(kTopicTitleAndDescription);
    for (int i = 0; i < sheet->PageCount(); ++i) sheet->SetTabLabel(i, "placeholder");
    dialog->ChangeLanguage(2);
    sheet->ChangeLanguage(2);
    EXPECT_EQ(sheet->Caption().str(), "Ausgabe Regeldaten");
    EXPECT_STREQ(sheet->ControlText(kIdCancel), "Abbrechen");
    EXPECT_STREQ(sheet->ControlText(kIdApply), "Anwenden");
    EXPECT_STREQ(sheet->ControlText(kIdHelp), "Hilfe");
    const int slots[] = {kUiTabAddedHtml,          kUiTabColours,     kUiTabFonts,          kUiTabHyperlinks,
                         kUiTabRtfDocumentDetails, kUiTabRtfSettings, kUiTabTableGeneration};
    for (int i = 0; i < sheet->PageCount(); ++i) EXPECT_STREQ(sheet->TabLabel(i), GetUiText(slots[i])) << i;

    // A change while the sheet is closed relabels it when it opens.
    Ok();
    dialog->ChangeLanguage(1);
    Open(kTopicTitleAndDescription);
    EXPECT_EQ(sheet->Caption().str(), "Output Policies");
    EXPECT_STREQ(sheet->ControlText(kIdCancel), "Cancel");
}

TEST_F(OutputSheetTest, ATypedTableWidthSurvivesALoad) {
    Open(kTopicTableGeneration);
    TypeOnly(sheet->table, TablePage::kTableWidth, "75%");
    Working().GetDefaultTabConfig()->SetText(TabPol::Width, "50%");
    Working().GetDefaultTabConfig()->SetInt(TabPol::BorderSize, 9);
    sheet->LoadPages(Working(), dialog->SixthSet());
    EXPECT_STREQ(sheet->table.ControlText(TablePage::kTableWidth), "75%");
    EXPECT_STREQ(sheet->table.ControlText(TablePage::kBorderSize), "9");
}

TEST_F(OutputSheetTest, AColourSwatchIsRepaintedAtTheSixthCharacter) {
    Working().SetText(Pol::BackgroundColour, "White");
    Open(kTopicDocumentColours);
    const PlatformColour white = ColourTextToRGB("White");
    EXPECT_EQ(sheet->colours.Control(ColoursPage::kBackgroundSwatch)->fillColour, white);
    TypeOnly(sheet->colours, ColoursPage::kBackground, "33669");
    EXPECT_EQ(sheet->colours.Control(ColoursPage::kBackgroundSwatch)->fillColour, white);
    EXPECT_TRUE(sheet->colours.Bound(ColoursPage::kBackground)->changed);
    TypeOnly(sheet->colours, ColoursPage::kBackground, "336699");
    EXPECT_EQ(sheet->colours.Control(ColoursPage::kBackgroundSwatch)->fillColour, ColourTextToRGB("336699"));
}

TEST_F(OutputSheetTest, ColoursAreEnabledOnlyWhileColourMarkupIsAllowed) {
    Open(kTopicDocumentColours);
    const int colourControls[] = {1419, 1369, ColoursPage::kBackground, 1060, ColoursPage::kActiveLink, 1064};
    for (bool suppress : {true, false}) {
        SetCheck(sheet->colours, ColoursPage::kSuppressColours, suppress);
        for (int id : colourControls) EXPECT_EQ(sheet->colours.IsEnabled(id), !suppress) << id;
        EXPECT_FALSE(sheet->colours.IsEnabled(ColoursPage::kBackgroundSwatch));
    }
}

TEST_F(OutputSheetTest, TheTablePageEnablesRowColoursWithColouredRows) {
    Open(kTopicTableGeneration);
    const struct {
        bool tables, rows;
        bool borderEnabled, oddEnabled;
    } cases[] = {{true, false, true, false}, {true, true, true, true}, {false, true, false, false}};
    for (const auto& c : cases) {
        SetCheck(sheet->table, TablePage::kAttemptTables, c.tables);
        SetCheck(sheet->table, TablePage::kColourRows, c.rows);
        EXPECT_EQ(sheet->table.IsEnabled(TablePage::kBorderSize), c.borderEnabled);
        EXPECT_EQ(sheet->table.IsEnabled(TablePage::kOddRows), c.oddEnabled);
        EXPECT_EQ(sheet->table.IsEnabled(TablePage::kOddButton), c.oddEnabled);
        EXPECT_FALSE(sheet->table.IsEnabled(TablePage::kOddSwatch));
        EXPECT_FALSE(sheet->table.Control(TablePage::kConvertXRefs)->visible);
    }
}

TEST_F(OutputSheetTest, ATablePageTurnedOffByAPolicyFileCanBeTurnedOnAgain) {
    Working().SetInt(Pol::AttemptTableGeneration, 0);
    Open(kTopicTableGeneration);
    TablePage& page = sheet->table;
    EXPECT_FALSE(page.IsChecked(TablePage::kAttemptTables));
    EXPECT_FALSE(page.IsEnabled(TablePage::kHeaderRows));
    EXPECT_FALSE(page.IsEnabled(TablePage::kBackgroundButton));
    // The box itself is shown and enabled.
    EXPECT_TRUE(page.Control(TablePage::kAttemptTables)->visible);
    EXPECT_TRUE(page.IsEnabled(TablePage::kAttemptTables));
    SetCheck(page, TablePage::kAttemptTables, true);
    EXPECT_TRUE(page.IsEnabled(TablePage::kHeaderRows));
    EXPECT_TRUE(page.IsEnabled(TablePage::kBackgroundButton));
    Ok();
    EXPECT_EQ(Working().GetInt(Pol::AttemptTableGeneration), 1);
    EXPECT_TRUE(Working().IsSet(Pol::AttemptTableGeneration));
}

TEST_F(OutputSheetTest, TheRowColoursAreLoadedOnlyWhileNoneOfThemWasChanged) {
    Open(kTopicTableGeneration);
    TypeOnly(sheet->table, TablePage::kOddRows, "123456");
    TabConfig& config = *Working().GetDefaultTabConfig();
    config.SetInt(TabPol::ColourDataRows, 1);
    config.SetText(TabPol::EvenRowColour, "abcdef");
    sheet->LoadPages(Working(), dialog->SixthSet());
    EXPECT_FALSE(sheet->table.IsChecked(TablePage::kColourRows));
    EXPECT_STREQ(sheet->table.ControlText(TablePage::kEvenRows), "#E0F0E0");
}

TEST_F(OutputSheetTest, APickedColourIsWrittenAndMarked) {
    services.QueueColour(0x00ffff00);  // cyan: blue and green
    Open(kTopicTableGeneration);
    Press(sheet->table, TablePage::kBackgroundButton);
    EXPECT_STREQ(sheet->table.ControlText(TablePage::kBackground), "Aqua");
    EXPECT_EQ(sheet->table.Control(TablePage::kBackgroundSwatch)->fillColour, ColourTextToRGB("Aqua"));
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kColour);
    Press(sheet->table, TablePage::kBorderButton);
    EXPECT_TRUE(sheet->table.Bound(TablePage::kBorderColour)->changed);
    Ok();
    EXPECT_EQ(Working().GetDefaultTabConfig()->GetText(TabPol::TableColour).str(), "Aqua");
}

TEST_F(OutputSheetTest, ChoosingABodyFontShowsItInTablesButStoresOnlyTheBodyFont) {
    services.QueueFont({"Georgia", 700, false, 14});
    Open(kTopicFonts);
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kTableFont), Working().GetText(Pol::DefaultFont).c_str());
    Press(sheet->fonts, 1263);
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kBodyFont), "Georgia, Bold, 14");
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kTableFont), "Georgia, Bold, 14");
    // The chooser was preset from the text.
    const ServiceCall& call = services.Log().back();
    EXPECT_EQ(call.kind, ServiceCallKind::kChooseFont);
    EXPECT_EQ(call.text, "Times New Roman");
    EXPECT_EQ(call.number, 12);
    Ok();
    EXPECT_EQ(Working().GetText(Pol::DefaultFont).str(), "Georgia, Bold, 14");
    EXPECT_TRUE(Working().IsSet(Pol::DefaultFont));
    EXPECT_FALSE(Working().IsSet(Pol::TableFont));
}

TEST_F(OutputSheetTest, AChosenHeadingsFontGoesIntoTheContentsUnlessTheContentsWereChosen) {
    services.QueueFont({"Verdana", 400, true, 11});
    services.QueueFont({"Tahoma", 400, false, 9});
    services.QueueFont({"Impact", 700, true, 20});
    Open(kTopicFonts);
    Press(sheet->fonts, 1267);  // contents
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kContentsFont), "Verdana, Italic, 11");
    Press(sheet->fonts, 1264);  // headings
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kHeadingFont), "Tahoma, Regular, 9");
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kContentsFont), "Verdana, Italic, 11");
    // The field is read-only: a change of its text opens no chooser.
    const size_t calls = services.Log().size();
    TypeOnly(sheet->fonts, FontPage::kFixedFont, "Missing Face, Bold, big");
    EXPECT_EQ(services.Log().size(), calls);
    // "..." presets the chooser from the field's text; the chosen font
    // replaces the text.
    Press(sheet->fonts, 1266);
    EXPECT_EQ(services.Log().back().text, "Missing Face");
    EXPECT_EQ(services.Log().back().number, 12);
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kFixedFont), "Impact, Bold Italic, 20");
    // Nothing chosen: the text stays.
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFont);
    Press(sheet->fonts, 1266);
    EXPECT_STREQ(sheet->fonts.ControlText(FontPage::kFixedFont), "Impact, Bold Italic, 20");
    Ok();
    EXPECT_EQ(Working().GetText(Pol::FixedFont).str(), "Impact, Bold Italic, 20");
    EXPECT_EQ(Working().GetText(Pol::ContentsFont).str(), "Verdana, Italic, 11");
}

TEST_F(OutputSheetTest, TheCharsetOfTheRtfPageIsStoredAsItsName) {
    Open(kTopicRtfSettings);
    const int hebrew = IndexOf(CharsetChoices(), "iso-8859-8 (Hebrew)");
    ASSERT_GE(hebrew, 0);
    Pick(sheet->rtfSettings, RTFSettingsPage::kCharset, hebrew);
    Ok();
    EXPECT_EQ(Working().GetText(Pol::CharacterEncoding).str(), "iso-8859-8");

    // An ASCII file converted with it declares that charset.
    WriteWhole(temp / "plain.txt", "A plain line of text.\n\nAnother paragraph.\n");
    dialog->SetInputDirectory(TextString((temp.Path().string() + "/").c_str()));
    dialog->SetOutputDirectory(TextString((temp.Path().string() + "/").c_str()));
    dialog->SetInputFileSpec(TextString(Path("plain.txt").c_str()));
    dialog->SetFileName(TextString("plain.html"));
    ASSERT_TRUE(dialog->RunConversion());
    const std::string html = ReadWhole(temp / "plain.html");
    EXPECT_NE(html.find("charset=iso-8859-8\""), std::string::npos) << html;
}

TEST_F(OutputSheetTest, AConversionCarriesTheValuesChangedOnThePages) {
    services.QueueFont({"Georgia", 700, false, 14});
    Open(kTopicDocumentColours);
    TypeInto(sheet->colours, ColoursPage::kBackground, "336699");
    sheet->SetActivePageByTopic(kTopicTableGeneration);
    TypeInto(sheet->table, TablePage::kBorderSize, "7");
    sheet->SetActivePageByTopic(kTopicFonts);
    Press(sheet->fonts, 1263);
    Ok();

    WriteWhole(temp / "staff.txt",
               "Staff list\n\nName    Age   Town\nAnn     31    Leeds\nBob     45    York\nCy      22    Hull\n");
    dialog->SetInputDirectory(TextString((temp.Path().string() + "/").c_str()));
    dialog->SetOutputDirectory(TextString((temp.Path().string() + "/").c_str()));
    dialog->SetInputFileSpec(TextString(Path("staff.txt").c_str()));
    dialog->SetFileName(TextString("staff.html"));
    ASSERT_TRUE(dialog->RunConversion());
    const std::string html = ReadWhole(temp / "staff.html");
    EXPECT_NE(html.find("BGCOLOR=\"336699\""), std::string::npos) << html;
    EXPECT_NE(html.find("BORDER=7"), std::string::npos) << html;
    EXPECT_NE(html.find("font-family: Georgia; font-style: normal; font-weight: bold; font-size: 14pt;"),
              std::string::npos)
        << html;
}

// ---- The round trip of every page through a "changed only" policy file ----

// What a page's round trip does on the opened sheet, and what a sheet loaded
// from the file read back must show.
struct RoundTripCase {
    const char* name;
    int topic;
    std::function<void(Sheet&, ScriptedUiServices&)> change;
    std::function<void(Sheet&)> check;
};

std::vector<RoundTripCase> RoundTripCases() {
    std::vector<RoundTripCase> cases;
    cases.push_back({"added HTML", kTopicTitleAndDescription,
                     [](Sheet& s, ScriptedUiServices& services) {
                         AddedHTMLPage& p = s.addedHtml;
                         TypeInto(p, AddedHTMLPage::kTitle, "Quarterly report");
                         SetCheck(p, AddedHTMLPage::kUseFirstHeading, true);
                         SetCheck(p, AddedHTMLPage::kUseFirstLine, true);
                         TypeInto(p, AddedHTMLPage::kDescription, "Sales by town");
                         TypeInto(p, AddedHTMLPage::kKeywords, "sales towns");
                         TypeInto(p, AddedHTMLPage::kBackgroundImage, "paper.gif");
                         TypeInto(p, AddedHTMLPage::kHeaderFile, "/site/header.inc");
                         TypeInto(p, AddedHTMLPage::kFooterFile, "/site/footer.inc");
                         TypeInto(p, AddedHTMLPage::kScriptFile, "menu.js");
                         TypeInto(p, AddedHTMLPage::kShortcutIcon, "site.ico");
                         const int utf8 = IndexOf(CharsetChoices(), "utf-8 (Unicode)");
                         services.QueueRun()
                             .SetText(MoreHtmlOptionsDialog::kFragmentsFile, "parts.inc")
                             .Check(MoreHtmlOptionsDialog::kOmitHeadAndBody, true)
                             .Check(MoreHtmlOptionsDialog::kGeneratorComment, false)
                             .SetText(MoreHtmlOptionsDialog::kBaseUrl, "http://example.org/")
                             .Select(MoreHtmlOptionsDialog::kCharset, utf8)
                             .Press(kIdOk);
                         Press(p, AddedHTMLPage::kAdvancedOptions);
                     },
                     [](Sheet& s) {
                         AddedHTMLPage& p = s.addedHtml;
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kTitle), "Quarterly report");
                         EXPECT_TRUE(p.IsChecked(AddedHTMLPage::kUseFirstHeading));
                         EXPECT_TRUE(p.IsChecked(AddedHTMLPage::kUseFirstLine));
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kDescription), "Sales by town");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kKeywords), "sales towns");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kBackgroundImage), "paper.gif");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kHeaderFile), "/site/header.inc");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kFooterFile), "/site/footer.inc");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kScriptFile), "menu.js");
                         EXPECT_STREQ(p.ControlText(AddedHTMLPage::kShortcutIcon), "site.ico");
                         const MoreHtmlOptions& a = p.AdvancedOptions();
                         EXPECT_EQ(a.fragmentsFile.str(), "parts.inc");
                         EXPECT_EQ(a.omitHeadAndBody, 1);
                         EXPECT_EQ(a.generatorComment, 0);
                         EXPECT_EQ(a.baseUrl.str(), "http://example.org/");
                         EXPECT_EQ(a.charset.str(), "utf-8");
                     }});
    cases.push_back({"colours", kTopicDocumentColours,
                     [](Sheet& s, ScriptedUiServices&) {
                         ColoursPage& p = s.colours;
                         SetCheck(p, ColoursPage::kSuppressColours, true);
                         TypeInto(p, ColoursPage::kBackground, "fafafa");
                         TypeInto(p, ColoursPage::kText, "Navy");
                         TypeInto(p, ColoursPage::kLink, "0000cc");
                         TypeInto(p, ColoursPage::kVisitedLink, "Purple");
                         TypeInto(p, ColoursPage::kActiveLink, "Red");
                     },
                     [](Sheet& s) {
                         ColoursPage& p = s.colours;
                         EXPECT_TRUE(p.IsChecked(ColoursPage::kSuppressColours));
                         ExpectColour(p, ColoursPage::kBackground, "fafafa");
                         EXPECT_STREQ(p.ControlText(ColoursPage::kText), "Navy");
                         ExpectColour(p, ColoursPage::kLink, "0000cc");
                         EXPECT_STREQ(p.ControlText(ColoursPage::kVisitedLink), "Purple");
                         EXPECT_STREQ(p.ControlText(ColoursPage::kActiveLink), "Red");
                     }});
    cases.push_back({"fonts", kTopicFonts,
                     [](Sheet& s, ScriptedUiServices& services) {
                         FontPage& p = s.fonts;
                         ChooseRadio(p, FontPage::kUseCss, FontPage::kUseFontTags, FontPage::kUseFontTags);
                         const FontChoice fonts[] = {{"Georgia", 400, false, 11},
                                                     {"Verdana", 700, false, 16},
                                                     {"Tahoma", 400, true, 9},
                                                     {"Courier", 700, true, 8},
                                                     {"Arial Narrow", 400, false, 10}};
                         const int buttons[] = {FontPage::kBodyButton, FontPage::kHeadingButton,
                                                FontPage::kTableButton, FontPage::kFixedButton,
                                                FontPage::kContentsButton};
                         for (int i = 0; i < 5; ++i) {
                             services.QueueFont(fonts[i]);
                             Press(p, buttons[i]);
                         }
                         Pick(p, FontPage::kBaseFontSize, 6);  // "16"
                         TypeInto(p, FontPage::kDeltaFontSize, "2");
                         TypeInto(p, FontPage::kStyleFile, "house.sty");
                     },
                     [](Sheet& s) {
                         FontPage& p = s.fonts;
                         EXPECT_TRUE(p.IsChecked(FontPage::kUseFontTags));
                         EXPECT_FALSE(p.IsChecked(FontPage::kUseCss));
                         EXPECT_STREQ(p.ControlText(FontPage::kBodyFont), "Georgia, Regular, 11");
                         EXPECT_STREQ(p.ControlText(FontPage::kHeadingFont), "Verdana, Bold, 16");
                         EXPECT_STREQ(p.ControlText(FontPage::kTableFont), "Tahoma, Italic, 9");
                         EXPECT_STREQ(p.ControlText(FontPage::kFixedFont), "Courier, Bold Italic, 8");
                         EXPECT_STREQ(p.ControlText(FontPage::kContentsFont), "Arial Narrow, Regular, 10");
                         EXPECT_STREQ(p.ControlText(FontPage::kBaseFontSize), "16");
                         EXPECT_STREQ(p.ControlText(FontPage::kDeltaFontSize), "2");
                         EXPECT_STREQ(p.ControlText(FontPage::kStyleFile), "house.sty");
                     }});
    cases.push_back({"hyperlinks", kTopicHyperlinks,
                     [](Sheet& s, ScriptedUiServices&) {
                         HyperlinksPage& p = s.hyperlinks;
                         for (int id : {2030, 2029, 1591, 1274, 1275, 1276, 1030, 1032}) SetCheck(p, id, false);
                         for (int id : {1458, 1459, 1210, 1265}) SetCheck(p, id, true);
                         TypeInto(p, HyperlinksPage::kHierarchies, "uk. de.");
                         SetCheck(p, HyperlinksPage::kCrossRefs, true);
                         TypeInto(p, HyperlinksPage::kCrossRefLevel, "3");
                         TypeInto(p, HyperlinksPage::kWindowName, "side");
                     },
                     [](Sheet& s) {
                         HyperlinksPage& p = s.hyperlinks;
                         for (int id : {2030, 2029, 1591, 1274, 1275, 1276, 1030, 1032})
                             EXPECT_FALSE(p.IsChecked(id)) << id;
                         for (int id : {1458, 1459, 1210, 1265}) EXPECT_TRUE(p.IsChecked(id)) << id;
                         EXPECT_STREQ(p.ControlText(HyperlinksPage::kHierarchies), "uk. de.");
                         EXPECT_TRUE(p.IsChecked(HyperlinksPage::kCrossRefs));
                         EXPECT_STREQ(p.ControlText(HyperlinksPage::kCrossRefLevel), "3");
                         EXPECT_STREQ(p.ControlText(HyperlinksPage::kWindowName), "side");
                     }});
    cases.push_back({"RTF document details", kTopicDocumentSettings,
                     [](Sheet& s, ScriptedUiServices&) {
                         int n = 0;
                         for (int id : {1301, 1302, 1303, 1304, 1305, 1309, 1310, 1311})
                             TypeInto(s.rtfDocument, id, ("detail " + std::to_string(++n)).c_str());
                     },
                     [](Sheet& s) {
                         int n = 0;
                         for (int id : {1301, 1302, 1303, 1304, 1305, 1309, 1310, 1311})
                             EXPECT_EQ(s.rtfDocument.ControlText(id), "detail " + std::to_string(++n)) << id;
                     }});
    cases.push_back({"RTF settings", kTopicRtfSettings,
                     [](Sheet& s, ScriptedUiServices&) {
                         RTFSettingsPage& p = s.rtfSettings;
                         Pick(p, RTFSettingsPage::kLanguage, 5);
                         Pick(p, RTFSettingsPage::kPaperSize, 2);
                         ChooseRadio(p, RTFSettingsPage::kPortrait, RTFSettingsPage::kLandscape,
                                     RTFSettingsPage::kLandscape);
                         TypeInto(p, RTFSettingsPage::kTopMargin, "1.5");
                         TypeInto(p, RTFSettingsPage::kBottomMargin, "2");
                         TypeInto(p, RTFSettingsPage::kLeftMargin, "2.25");
                         TypeInto(p, RTFSettingsPage::kRightMargin, "3.125");
                         SetCheck(p, RTFSettingsPage::kMirrorMargins, true);
                         Pick(p, RTFSettingsPage::kCharset, IndexOf(CharsetChoices(), "koi8-r (Russian)"));
                     },
                     [](Sheet& s) {
                         RTFSettingsPage& p = s.rtfSettings;
                         EXPECT_EQ(p.Selection(RTFSettingsPage::kLanguage), 5);
                         EXPECT_EQ(p.Selection(RTFSettingsPage::kPaperSize), 2);
                         EXPECT_TRUE(p.IsChecked(RTFSettingsPage::kLandscape));
                         EXPECT_FALSE(p.IsChecked(RTFSettingsPage::kPortrait));
                         EXPECT_STREQ(p.ControlText(RTFSettingsPage::kTopMargin), "1.5");
                         EXPECT_STREQ(p.ControlText(RTFSettingsPage::kBottomMargin), "2");
                         EXPECT_STREQ(p.ControlText(RTFSettingsPage::kLeftMargin), "2.25");
                         EXPECT_STREQ(p.ControlText(RTFSettingsPage::kRightMargin), "3.125");
                         EXPECT_TRUE(p.IsChecked(RTFSettingsPage::kMirrorMargins));
                         EXPECT_STREQ(p.ControlText(RTFSettingsPage::kCharset), "koi8-r");
                     }});
    cases.push_back({"table generation", kTopicTableGeneration,
                     [](Sheet& s, ScriptedUiServices&) {
                         TablePage& p = s.table;
                         SetCheck(p, TablePage::kAttemptTables, false);
                         TypeInto(p, TablePage::kHeaderRows, "2");
                         TypeInto(p, TablePage::kCellPadding, "4");
                         TypeInto(p, TablePage::kCellSpacing, "3");
                         TypeInto(p, TablePage::kBorderSize, "5");
                         TypeInto(p, TablePage::kTableWidth, "80%");
                         TypeInto(p, TablePage::kBackground, "ffcc00");
                         TypeInto(p, TablePage::kBorderColour, "Navy");
                         SetCheck(p, TablePage::kColourRows, true);
                         TypeInto(p, TablePage::kOddRows, "eeeeee");
                         TypeInto(p, TablePage::kEvenRows, "dddddd");
                         Pick(p, TablePage::kTableAlignment, 4);  // Center
                         Pick(p, TablePage::kCellAlignment, 2);  // Right
                         SetCheck(p, TablePage::kConvertXRefs, true);
                     },
                     [](Sheet& s) {
                         TablePage& p = s.table;
                         EXPECT_FALSE(p.IsChecked(TablePage::kAttemptTables));
                         EXPECT_STREQ(p.ControlText(TablePage::kHeaderRows), "2");
                         EXPECT_STREQ(p.ControlText(TablePage::kCellPadding), "4");
                         EXPECT_STREQ(p.ControlText(TablePage::kCellSpacing), "3");
                         EXPECT_STREQ(p.ControlText(TablePage::kBorderSize), "5");
                         EXPECT_STREQ(p.ControlText(TablePage::kTableWidth), "80%");
                         ExpectColour(p, TablePage::kBackground, "ffcc00");
                         EXPECT_STREQ(p.ControlText(TablePage::kBorderColour), "Navy");
                         EXPECT_TRUE(p.IsChecked(TablePage::kColourRows));
                         ExpectColour(p, TablePage::kOddRows, "eeeeee");
                         ExpectColour(p, TablePage::kEvenRows, "dddddd");
                         EXPECT_EQ(p.Selection(TablePage::kTableAlignment), 4);
                         EXPECT_EQ(p.Selection(TablePage::kCellAlignment), 2);
                         EXPECT_TRUE(p.IsChecked(TablePage::kConvertXRefs));
                     }});
    return cases;
}

TEST_F(OutputSheetTest, EveryPageComesBackFromAChangedOnlyPolicyFile) {
    for (const RoundTripCase& c : RoundTripCases()) {
        SCOPED_TRACE(c.name);
        Working().ResetPolicies();
        Working().usenetGroups.Clear();
        Working().listSet = PolicyListFlags{};
        Sheet edited(*dialog, services);
        edited.Open(Working(), Working(), dialog->SixthSet(), c.topic);
        c.change(edited, services);
        Press(edited, kIdOk);
        EXPECT_TRUE(services.RefusedSteps().empty());

        const std::string file = Path("changed.pol");
        ASSERT_TRUE(WriteWhole(file, ChangedPolicies(Working())));
        FC fresh;
        TextFile reader;
        ASSERT_TRUE(reader.OpenForRead(file.c_str()));
        fresh.ReadPolicyFile(reader);

        Sheet shown(*dialog, services);
        shown.Open(fresh, fresh, dialog->SixthSet(), c.topic);
        c.check(shown);
        Press(shown, kIdCancel);
    }
}

}  // namespace

namespace {

const std::filesystem::path kSheetGolden =
    std::filesystem::path(VENDREL_TEST_DATA_DIR) / "golden" / "sheet_policies.pol";

// The policies a user sets on the sheet for the golden conversion
// tests/data/golden/sheet_policies: the file the sheet saves is the golden
// policy file, byte for byte, and the golden test converts with it.
TEST_F(OutputSheetTest, TheSavedPoliciesOfTheSheetAreThoseOfTheGoldenConversion) {
    services.QueueFont({"Georgia", 400, false, 11});
    Open(kTopicTitleAndDescription);
    TypeInto(sheet->addedHtml, AddedHTMLPage::kTitle, "Branch staff");
    TypeInto(sheet->addedHtml, AddedHTMLPage::kKeywords, "staff, branches");
    sheet->SetActivePageByTopic(kTopicDocumentColours);
    TypeInto(sheet->colours, ColoursPage::kBackground, "Silver");
    TypeInto(sheet->colours, ColoursPage::kText, "Navy");
    sheet->SetActivePageByTopic(kTopicFonts);
    Press(sheet->fonts, 1263);
    sheet->SetActivePageByTopic(kTopicTableGeneration);
    TypeInto(sheet->table, TablePage::kBorderSize, "2");
    TypeInto(sheet->table, TablePage::kCellPadding, "4");
    SetCheck(sheet->table, TablePage::kColourRows, true);
    TypeInto(sheet->table, TablePage::kOddRows, "eeeeee");
    Pick(sheet->table, TablePage::kTableAlignment, 4);
    Ok();
    const std::string saved = ChangedPolicies(Working());
    if (std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr) WriteWhole(kSheetGolden, saved);
    EXPECT_EQ(saved, ReadWhole(kSheetGolden));
}

}  // namespace
