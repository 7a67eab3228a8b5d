#include "ui/output_pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "policies/alignments.h"
#include "support/sheet_fixture.h"
#include "support/page_actions.h"
#include "texts/dialog_ids.h"
#include "ui/output_sheet.h"
#include "ui/scripted_services.h"

namespace {

TEST(AlignmentListTest, PolicyValuesAndListIndexesMapBothWays) {
    const struct {
        int alignment;
        int index;
    } cases[] = {{kAlignmentNone, 0},
                 {kAlignmentLeft, 1},
                 {kAlignmentRight, 2},
                 {kAlignmentJustified, 3},
                 {kAlignmentCentre, 4}};
    const std::vector<TextString> items = AlignmentListItems();
    const char* const labels[] = {"Auto-Detect", "Left", "Right", "Justified", "Center"};
    ASSERT_EQ(items.size(), 5u);
    for (const auto& c : cases) {
        EXPECT_EQ(AlignmentToListIndex(c.alignment), c.index) << c.alignment;
        EXPECT_EQ(ListIndexToAlignment(c.index), c.alignment) << c.index;
        EXPECT_EQ(items[static_cast<size_t>(c.index)].str(), labels[c.index]);
    }
    for (int unknown : {-1, 5, 99}) EXPECT_EQ(AlignmentToListIndex(unknown), 0) << unknown;
    for (int outside : {-1, 5}) EXPECT_EQ(ListIndexToAlignment(outside), kAlignmentNone) << outside;
}

TEST(FontTextTest, AFontTextPresetsTheChooser) {
    const struct {
        const char* text;
        const char* face;
        int weight;
        bool italic;
        int size;
    } cases[] = {
        {"Times New Roman, Regular, 10", "Times New Roman", 400, false, 10},
        {"Arial, Bold, 14", "Arial", 700, false, 14},
        {"Arial,Italic,9", "Arial", 400, true, 9},
        {"Georgia, Bold Italic, 22", "Georgia", 700, true, 22},
        {"Georgia, Heavy, 22", "Georgia", 400, false, 22},
        // No size, or one that is not a number: the chooser starts at 12.
        {"Courier New, Regular", "Courier New", 400, false, 12},
        {"Courier New, Regular, large", "Courier New", 400, false, 12},
        {"Courier New, Regular, -4", "Courier New", 400, false, 12},
        {"No Such Face", "No Such Face", 400, false, 12},
        {"", "", 400, false, 12},
    };
    for (const auto& c : cases) {
        const FontChoice font = FontTextToChoice(c.text);
        EXPECT_EQ(font.face.str(), c.face) << c.text;
        EXPECT_EQ(font.weight, c.weight) << c.text;
        EXPECT_EQ(font.italic, c.italic) << c.text;
        EXPECT_EQ(font.pointSize, c.size) << c.text;
    }
}

TEST(FontTextTest, AChosenFontIsWrittenAsFaceStyleAndSize) {
    const struct {
        FontChoice font;
        const char* text;
    } cases[] = {
        {{"Arial", 400, false, 10}, "Arial, Regular, 10"},
        {{"Arial", 700, false, 10}, "Arial, Bold, 10"},
        {{"Arial", 900, false, 10}, "Arial, Bold, 10"},
        {{"Arial", 600, true, 10}, "Arial, Italic, 10"},
        {{"Times New Roman", 700, true, 36}, "Times New Roman, Bold Italic, 36"},
    };
    for (const auto& c : cases) EXPECT_EQ(FontChoiceToText(c.font).str(), c.text);
}

TEST(CharsetChoicesTest, ThirtyEncodingsEachStoredByItsName) {
    const std::vector<TextString>& choices = CharsetChoices();
    ASSERT_EQ(choices.size(), 30u);
    std::set<std::string> names;
    for (const TextString& choice : choices) {
        const std::string name = CharsetName(choice).str();
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find(' '), std::string::npos) << choice.str();
        EXPECT_EQ(choice.str(), name + " (" + choice.str().substr(name.size() + 2)) << choice.str();
        EXPECT_EQ(choice.str().back(), ')') << choice.str();
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 30u);
    for (const char* example :
         {"ascii (English/Western)", "big5 (Chinese)", "iso-8859-8 (Hebrew)", "x-sjis (Japanese)"}) {
        bool found = false;
        for (const TextString& choice : choices) found = found || choice.view() == example;
        EXPECT_TRUE(found) << example;
    }
    EXPECT_EQ(CharsetName("  utf-8 (Unicode)").str(), "utf-8");
    EXPECT_EQ(CharsetName("koi8-r").str(), "koi8-r");
}

class OutputPagesTest : public OutputSheetFixture {
protected:
    OutputPagesTest() : OutputSheetFixture("output_pages") {}
};

TEST_F(OutputPagesTest, CrossReferencesStoreTheirLevelWhenOn) {
    const struct {
        bool on;
        const char* level;
        int stored;
    } cases[] = {{true, "1", 1}, {true, "3", 3}, {true, "0", -1}, {false, "2", -1}};
    for (const auto& c : cases) {
        Working().SetInt(Pol::CrossRefsAtLevel, 2, false);
        Open(kTopicHyperlinks);
        HyperlinksPage& page = sheet->hyperlinks;
        SetCheck(page, HyperlinksPage::kCrossRefs, c.on);
        TypeInto(page, HyperlinksPage::kCrossRefLevel, c.level);
        Ok();
        EXPECT_EQ(Working().GetInt(Pol::CrossRefsAtLevel), c.stored) << c.on << " " << c.level;
        sheet->ResetChanged();
    }
    // Loading shows a positive level as on, anything else as off at 0.
    for (int level : {1, 0, -1}) {
        Working().SetInt(Pol::CrossRefsAtLevel, level);
        Open(kTopicHyperlinks);
        EXPECT_EQ(sheet->hyperlinks.IsChecked(HyperlinksPage::kCrossRefs), level > 0) << level;
        EXPECT_STREQ(sheet->hyperlinks.ControlText(HyperlinksPage::kCrossRefLevel), level > 0 ? "1" : "0");
        Press(*sheet, kIdCancel);
    }
}

TEST_F(OutputPagesTest, TheWeakFtpBoxIsTheInverseOfExplicitFtpOnly) {
    Open(kTopicHyperlinks);
    HyperlinksPage& page = sheet->hyperlinks;
    EXPECT_TRUE(Working().IsOn(Pol::OnlyAllowExplicitFTPLinks));
    EXPECT_FALSE(page.IsChecked(HyperlinksPage::kWeakFtpLinks));
    SetCheck(page, HyperlinksPage::kWeakFtpLinks, true);
    Ok();
    EXPECT_FALSE(Working().IsOn(Pol::OnlyAllowExplicitFTPLinks));
    EXPECT_TRUE(Working().IsSet(Pol::OnlyAllowExplicitFTPLinks));
}

TEST_F(OutputPagesTest, DomainCheckAndWeakFtpLoadTogether) {
    Open(kTopicHyperlinks);
    HyperlinksPage& page = sheet->hyperlinks;
    SetCheck(page, HyperlinksPage::kCheckDomainSyntax, false);
    Working().SetInt(Pol::OnlyAllowExplicitFTPLinks, 0);
    Working().SetInt(Pol::CreateGopherLinks, 0);
    Reload();
    // The partner of a changed box keeps its value; an unrelated box loads.
    EXPECT_FALSE(page.IsChecked(HyperlinksPage::kWeakFtpLinks));
    EXPECT_FALSE(page.IsChecked(HyperlinksPage::kGopherLinks));
}

TEST_F(OutputPagesTest, TheHierarchiesReplaceTheListOfTheSet) {
    Working().usenetGroups.Add("old.");
    Open(kTopicHyperlinks);
    EXPECT_STREQ(sheet->hyperlinks.ControlText(HyperlinksPage::kHierarchies), "old.");
    TypeInto(sheet->hyperlinks, HyperlinksPage::kHierarchies, " uk.  de. fr. ");
    dialog->outputChanged = {0, 0};
    Ok();
    const StringList& groups = Working().usenetGroups;
    ASSERT_EQ(groups.count, 3);
    EXPECT_STREQ(groups.TextAt(0), "uk.");
    EXPECT_STREQ(groups.TextAt(2), "fr.");
    EXPECT_EQ(Working().listSet.usenetGroups, 1);
    EXPECT_EQ(dialog->outputChanged[0], 1);
}

TEST_F(OutputPagesTest, HyperlinkControlsAreEnabledByTheBoxesTheyDependOn) {
    Open(kTopicHyperlinks);
    HyperlinksPage& page = sheet->hyperlinks;
    const struct {
        int box;
        bool on;
        int dependent;
        bool enabled;
    } cases[] = {
        {HyperlinksPage::kNewsLinks, false, HyperlinksPage::kKnownGroupsOnly, false},
        {HyperlinksPage::kNewsLinks, true, HyperlinksPage::kKnownGroupsOnly, true},
        {HyperlinksPage::kKnownGroupsOnly, true, HyperlinksPage::kHierarchies, false},
        {HyperlinksPage::kKnownGroupsOnly, false, HyperlinksPage::kHierarchies, true},
        {HyperlinksPage::kMailtoLinks, false, HyperlinksPage::kEmailWithNumbers, false},
        {HyperlinksPage::kFtpLinks, false, HyperlinksPage::kWeakFtpLinks, false},
        {HyperlinksPage::kFtpLinks, true, HyperlinksPage::kWeakFtpLinks, true},
        {HyperlinksPage::kNewWindow, false, HyperlinksPage::kWindowName, false},
        {HyperlinksPage::kNewWindow, true, HyperlinksPage::kWindowName, true},
        {HyperlinksPage::kCrossRefs, true, HyperlinksPage::kCrossRefLevel, true},
    };
    for (const auto& c : cases) {
        SetCheck(page, c.box, c.on);
        EXPECT_EQ(page.IsEnabled(c.dependent), c.enabled) << c.box << " " << c.on << " " << c.dependent;
    }
    // <BR> after URLs needs any kind of link on.
    for (int id : {2030, 2029, 1274, 1275, 1276}) SetCheck(page, id, false);
    EXPECT_FALSE(page.IsEnabled(HyperlinksPage::kBreakAfterUrls));
    SetCheck(page, HyperlinksPage::kTelnetLinks, true);
    EXPECT_TRUE(page.IsEnabled(HyperlinksPage::kBreakAfterUrls));
    for (int hidden : {1210, 1234, 1060, 1034, 1031}) EXPECT_FALSE(page.Control(hidden)->visible) << hidden;
}

TEST_F(OutputPagesTest, AReloadOfTheRtfSettingsKeepsEveryValueTheUserChanged) {
    Open(kTopicRtfSettings);
    RTFSettingsPage& page = sheet->rtfSettings;
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kTopMargin), "2.54");
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kLeftMargin), "3.175");
    const DialogControl* languages = page.Control(RTFSettingsPage::kLanguage);
    ASSERT_EQ(languages->items.size(), 78u);
    EXPECT_EQ(languages->items.front().str(), "(none)");
    EXPECT_EQ(languages->items.back().str(), "Ukrainian");
    EXPECT_EQ(page.Control(RTFSettingsPage::kPaperSize)->items.size(), 4u);
    EXPECT_EQ(page.Control(RTFSettingsPage::kCharset)->items.size(), 30u);

    // The user changes paper, orientation, a margin and the encoding; a
    // conversion or a policy file then reloads the page with other values.
    Pick(page, RTFSettingsPage::kPaperSize, 3);
    ChooseRadio(page, RTFSettingsPage::kPortrait, RTFSettingsPage::kLandscape, RTFSettingsPage::kLandscape);
    TypeInto(page, RTFSettingsPage::kTopMargin, "1.5");
    TypeInto(page, RTFSettingsPage::kCharset, "big5 (Chinese)");
    Working().SetInt(Pol::PaperSize, 2);
    Working().SetInt(Pol::UseLandscapeMode, 0);
    Working().SetText(Pol::TopMargin, "4");
    Working().SetText(Pol::BottomMargin, "5");
    Working().SetInt(Pol::LanguageForProofing, 3);
    Working().SetText(Pol::CharacterEncoding, "euc-kr");
    Reload();
    EXPECT_EQ(page.Selection(RTFSettingsPage::kPaperSize), 3);
    EXPECT_TRUE(page.IsChecked(RTFSettingsPage::kLandscape));
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kTopMargin), "1.5");
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kCharset), "big5 (Chinese)");
    // What the user did not change shows the new values.
    EXPECT_STREQ(page.ControlText(RTFSettingsPage::kBottomMargin), "5");
    EXPECT_EQ(page.Selection(RTFSettingsPage::kLanguage), 2);
    // OK stores what the user chose.
    Ok();
    EXPECT_EQ(Working().GetInt(Pol::PaperSize), 4);
    EXPECT_EQ(Working().GetInt(Pol::UseLandscapeMode), 1);
    EXPECT_EQ(Working().GetText(Pol::TopMargin).str(), "1.500");
    EXPECT_EQ(Working().GetText(Pol::CharacterEncoding).str(), "big5");
}

TEST_F(OutputPagesTest, MarginsAreStoredWithThreeDecimalsAndAreChecked) {
    Open(kTopicRtfSettings);
    RTFSettingsPage& page = sheet->rtfSettings;
    TypeInto(page, RTFSettingsPage::kTopMargin, " 1.23456 ");
    Ok();
    EXPECT_EQ(Working().GetText(Pol::TopMargin).str(), "1.235");
    EXPECT_FALSE(Working().IsSet(Pol::BottomMargin));

    Open(kTopicRtfSettings);
    services.ClearLog();
    TypeInto(page, RTFSettingsPage::kBottomMargin, "wide");
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Enter a number from 0 to 100.");
    // The page keeps the sheet open until the margin is a number.
    Ok();
    EXPECT_TRUE(sheet->HasWindow());
    TypeInto(page, RTFSettingsPage::kBottomMargin, "2");
    Ok();
    EXPECT_FALSE(sheet->HasWindow());
    EXPECT_EQ(Working().GetText(Pol::BottomMargin).str(), "2.000");
}

TEST_F(OutputPagesTest, BrowsingTakesAFullPathOrAFileNameAndRecordsTheHistory) {
    const struct {
        int button;
        int field;
        const char* chosen;
        const char* shown;
        const char* filter;
    } cases[] = {
        {AddedHTMLPage::kBrowseHeader, AddedHTMLPage::kHeaderFile, "/site/top.inc", "/site/top.inc",
         "Text files (*.txt,*.asc)|*.txt;*.asc|Include files (*.inc)|*.inc|All files (*.*)|*.*||"},
        {AddedHTMLPage::kBrowseFooter, AddedHTMLPage::kFooterFile, "/site/foot.txt", "/site/foot.txt",
         "Text files (*.txt,*.asc)|*.txt;*.asc|Include files (*.inc)|*.inc|All files (*.*)|*.*||"},
        {AddedHTMLPage::kBrowseScript, AddedHTMLPage::kScriptFile, "/site/js/menu.js", "menu.js",
         "Text files (*.txt,*.asc)|*.txt;*.asc|Include files (*.inc)|*.inc|All files (*.*)|*.*||"},
        {AddedHTMLPage::kBrowseBackground, AddedHTMLPage::kBackgroundImage, "/img/paper.gif", "paper.gif",
         "Image files (*.jpg,*.gif)|*.jpg;*.gif|All files (*.*)|*.*|"},
        {AddedHTMLPage::kBrowseIcon, AddedHTMLPage::kShortcutIcon, "/img/site.ico", "site.ico",
         "Icon files (*.ico)|*.ico|All files (*.*)|*.*|"},
    };
    Open(kTopicTitleAndDescription);
    AddedHTMLPage& page = sheet->addedHtml;
    for (const auto& c : cases) {
        services.QueueFile(c.chosen);
        Press(page, c.button);
        EXPECT_EQ(services.Log().back().text, c.filter) << c.chosen;
        EXPECT_STREQ(page.ControlText(c.field), c.shown);
        EXPECT_TRUE(page.Bound(c.field)->changed) << c.chosen;
    }
    EXPECT_EQ(dialog->settings.htmlHeaderHistory[0].str(), "/site/top.inc");
    EXPECT_EQ(dialog->settings.shortcutIconHistory[0].str(), "site.ico");
    // The icon's list records a history without showing it.
    EXPECT_TRUE(page.Control(AddedHTMLPage::kShortcutIcon)->items.empty());
    EXPECT_EQ(page.Control(AddedHTMLPage::kHeaderFile)->items.size(), 1u);

    // Choosing nothing changes nothing.
    sheet->ResetChanged();
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
    Press(page, AddedHTMLPage::kBrowseHeader);
    EXPECT_STREQ(page.ControlText(AddedHTMLPage::kHeaderFile), "/site/top.inc");
    EXPECT_FALSE(page.Bound(AddedHTMLPage::kHeaderFile)->changed);
}

TEST_F(OutputPagesTest, FileListsShowTheirHistoriesWhenThePageOpens) {
    dialog->settings.htmlFooterHistory[0] = "/a/foot.inc";
    dialog->settings.htmlFooterHistory[1] = "/b/foot.inc";
    dialog->settings.shortcutIconHistory[0] = "x.ico";
    Open(kTopicTitleAndDescription);
    AddedHTMLPage& page = sheet->addedHtml;
    EXPECT_EQ(page.Control(AddedHTMLPage::kFooterFile)->items.size(), 2u);
    EXPECT_TRUE(page.Control(AddedHTMLPage::kShortcutIcon)->items.empty());
    // A typed file goes on top of its history when the field is left.
    TypeInto(page, AddedHTMLPage::kFooterFile, "/c/foot.inc");
    EXPECT_EQ(dialog->settings.htmlFooterHistory[0].str(), "/c/foot.inc");
    EXPECT_EQ(dialog->settings.htmlFooterHistory[2].str(), "/b/foot.inc");
    // Both title boxes are hidden but kept.
    EXPECT_FALSE(page.Control(AddedHTMLPage::kUseFirstHeading)->visible);
    EXPECT_FALSE(page.Control(AddedHTMLPage::kUseFirstLine)->visible);
}

// Presses "Advanced options >>>" again when the open dialog tells the sheet
// of a change.
class PressAgainOnChange : public DialogObserver {
public:
    explicit PressAgainOnChange(AddedHTMLPage& page) : page_(page) {}
    bool openWhenPressed = false;
    void OnWindowStep(DialogModel&, WindowStep) override {}
    void OnControlChanged(DialogModel&, int id) override {
        if (id != kIdApply || pressed_) return;
        pressed_ = true;
        openWhenPressed = page_.OpenAdvancedDialog() != nullptr;
        Press(page_, AddedHTMLPage::kAdvancedOptions);
    }

private:
    AddedHTMLPage& page_;
    bool pressed_ = false;
};

TEST_F(OutputPagesTest, TheAdvancedOptionsDoNothingWhileTheyAreOpen) {
    Open(kTopicTitleAndDescription);
    PressAgainOnChange presser(sheet->addedHtml);
    sheet->SetObserver(&presser);
    services.QueueRun().Check(MoreHtmlOptionsDialog::kOmitHeadAndBody, true).Press(kIdOk);
    services.QueueRun().Press(kIdCancel);  // what a second dialog would take
    Press(sheet->addedHtml, AddedHTMLPage::kAdvancedOptions);
    sheet->SetObserver(nullptr);
    EXPECT_TRUE(presser.openWhenPressed);
    EXPECT_EQ(services.PendingRuns(), 1);
    EXPECT_TRUE(sheet->addedHtml.AdvancedOptions().omitHeadAndBodySet);
    EXPECT_EQ(sheet->addedHtml.OpenAdvancedDialog(), nullptr);
}

TEST_F(OutputPagesTest, TheTablePageStoresAlignmentsAsPolicyValues) {
    Open(kTopicTableGeneration);
    Pick(sheet->table, TablePage::kTableAlignment, 3);  // Justified
    Pick(sheet->table, TablePage::kCellAlignment, 4);  // Center
    Ok();
    const TabConfig& config = *Working().GetDefaultTabConfig();
    EXPECT_EQ(config.GetInt(TabPol::TableAlignment), kAlignmentJustified);
    EXPECT_EQ(config.GetInt(TabPol::CellAlignment), kAlignmentCentre);
}

}  // namespace
