#include "ui/more_html_options_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "support/sheet_fixture.h"
#include "support/page_actions.h"
#include "texts/dialog_ids.h"
#include "ui/output_sheet.h"
#include "ui/scripted_services.h"

namespace {

class MoreHtmlOptionsTest : public OutputSheetFixture {
protected:
    MoreHtmlOptionsTest() : OutputSheetFixture("more_html_options") {}

    void SetUp() override {
        OutputSheetFixture::SetUp();
        Open(kTopicTitleAndDescription);
    }
    AddedHTMLPage& Page() { return sheet->addedHtml; }
    const MoreHtmlOptions& Options() { return Page().AdvancedOptions(); }
    void OpenAdvanced() { Press(Page(), AddedHTMLPage::kAdvancedOptions); }
    bool NothingSet() {
        const MoreHtmlOptions& a = Options();
        return !a.fragmentsFileSet && !a.omitHeadAndBodySet && !a.generatorCommentSet && !a.baseUrlSet &&
               !a.charsetSet;
    }
};

TEST_F(MoreHtmlOptionsTest, TheDialogShowsThePageValuesAndOkWithoutATouchStoresNothing) {
    FC& set = dialog->WorkingSet();
    set.SetText(Pol::FragmentsFile, "shared.inc");
    set.SetInt(Pol::CommentGenerationCode, 2);
    set.SetText(Pol::CharacterEncoding, "big5");
    sheet->LoadPages(set, dialog->SixthSet());
    services.QueueRun().Press(kIdOk);
    OpenAdvanced();
    ASSERT_EQ(services.Log().back().kind, ServiceCallKind::kRunModal);
    EXPECT_EQ(services.Log().back().number, kMoreHtmlOptionsDialogId);
    EXPECT_TRUE(NothingSet());
    EXPECT_EQ(Options().generatorComment, 0);
    EXPECT_EQ(Options().fragmentsFile.str(), "shared.inc");
    // Nothing was marked, so nothing is stored.
    FC other;
    Page().Store(other);
    EXPECT_FALSE(other.IsSet(Pol::FragmentsFile));
    EXPECT_FALSE(other.IsSet(Pol::CommentGenerationCode));
    EXPECT_FALSE(sheet->ChangesPending());
}

TEST_F(MoreHtmlOptionsTest, ACancelledBrowseStillMarksTheFileAndPutsItOnTopOfTheHistory) {
    dialog->settings.htmlFragmentHistory[0] = "older.inc";
    dialog->WorkingSet().SetText(Pol::FragmentsFile, "current.inc");
    Reload();
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
    services.QueueRun().Press(MoreHtmlOptionsDialog::kBrowse).Press(kIdOk);
    OpenAdvanced();
    EXPECT_TRUE(Options().fragmentsFileSet);
    EXPECT_EQ(Options().fragmentsFile.str(), "current.inc");
    EXPECT_EQ(dialog->settings.htmlFragmentHistory[0].str(), "current.inc");
    EXPECT_EQ(dialog->settings.htmlFragmentHistory[1].str(), "older.inc");
    EXPECT_TRUE(sheet->ChangesPending());
}

TEST_F(MoreHtmlOptionsTest, ABrowsedFileIsTakenWithTheIncludeFilter) {
    services.QueueFile("/site/parts/frag.inc");
    services.QueueRun().Press(MoreHtmlOptionsDialog::kBrowse).Press(kIdOk);
    OpenAdvanced();
    const ServiceCall* chooser = nullptr;
    for (const ServiceCall& call : services.Log())
        if (call.kind == ServiceCallKind::kChooseFile) chooser = &call;
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->text, "Include files (*.inc)|*.inc|All files (*.*)|*.*||");
    EXPECT_EQ(Options().fragmentsFile.str(), "/site/parts/frag.inc");
    EXPECT_EQ(dialog->settings.htmlFragmentHistory[0].str(), "/site/parts/frag.inc");
}

TEST_F(MoreHtmlOptionsTest, CancelKeepsTheRecordAsItWas) {
    services.QueueRun()
        .SetText(MoreHtmlOptionsDialog::kBaseUrl, "http://example.org/")
        .Check(MoreHtmlOptionsDialog::kOmitHeadAndBody, true)
        .Press(kIdCancel);
    OpenAdvanced();
    EXPECT_TRUE(NothingSet());
    EXPECT_TRUE(Options().baseUrl.IsEmpty());
}

TEST_F(MoreHtmlOptionsTest, ThePageStoresTheAdvancedValuesAsPolicies) {
    services.QueueRun()
        .SetText(MoreHtmlOptionsDialog::kCharset, "iso-8859-8 (Hebrew)")
        .Check(MoreHtmlOptionsDialog::kGeneratorComment, false)
        .Check(MoreHtmlOptionsDialog::kOmitHeadAndBody, true)
        .Press(kIdOk);
    OpenAdvanced();
    Press(*sheet, kIdOk);
    FC& set = dialog->WorkingSet();
    EXPECT_EQ(set.GetText(Pol::CharacterEncoding).str(), "iso-8859-8");
    EXPECT_EQ(set.GetInt(Pol::CommentGenerationCode), 2);
    EXPECT_TRUE(set.IsOn(Pol::OmitHeadAndBody));
    EXPECT_FALSE(set.IsSet(Pol::DocumentBaseURL));

    // Allowing the comment again stores 0.
    sheet->Open(set, set, dialog->SixthSet(), kTopicTitleAndDescription);
    services.QueueRun().Check(MoreHtmlOptionsDialog::kGeneratorComment, true).Press(kIdOk);
    OpenAdvanced();
    Press(*sheet, kIdOk);
    EXPECT_EQ(set.GetInt(Pol::CommentGenerationCode), 0);
}

TEST_F(MoreHtmlOptionsTest, AChoiceFromTheHistoryGoesOnTopAndIsKeptWhenTheDialogCloses) {
    dialog->settings.htmlFragmentHistory[0] = "a.inc";
    dialog->settings.htmlFragmentHistory[1] = "b.inc";
    services.QueueRun().Select(MoreHtmlOptionsDialog::kFragmentsFile, 1).Press(kIdOk);
    OpenAdvanced();
    EXPECT_EQ(Options().fragmentsFile.str(), "b.inc");
    EXPECT_EQ(dialog->settings.htmlFragmentHistory[0].str(), "b.inc");
    EXPECT_EQ(dialog->settings.htmlFragmentHistory[1].str(), "a.inc");
    EXPECT_TRUE(dialog->settings.htmlFragmentHistory[2].IsEmpty());
}

}  // namespace
