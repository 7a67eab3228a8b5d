#include "ui/window_layout.h"
#include "ui/output_sheet_layout.h"
#include "ui/output_pages.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "texts/dialog_ids.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"
#include "ui/about_dialog.h"
#include "ui/analysis_sheet.h"
#include "ui/main_window.h"
#include "ui/more_html_options_dialog.h"
#include "ui/output_sheet.h"
#include "ui/settings_sheet.h"
#include "ui/policy_file_dialogs.h"
#include "ui/sheet_model.h"
#include "ui/status_window.h"

namespace {

// The model of each dialog that has a window description, and what owns
// it.
struct Models {
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<StatusWindow> status;
    std::unique_ptr<MainDialog> owner;  // of the policy-file dialogs and the About box
    std::unique_ptr<DialogModel> owned;
    MoreHtmlOptions advanced;  // what the advanced HTML options edit
};

const DialogModel* ModelOf(int templateId, UiServices& services, Models& models, const std::string& settings) {
    if (templateId == kStatusWindowDialogId) {
        models.status = std::make_unique<StatusWindow>(services);
        return models.status.get();
    }
    if (templateId == kPolicyFileDialogId || templateId == kSavePolicyDialogId || templateId == kAboutDialogId) {
        if (!models.owner) models.owner = std::make_unique<MainDialog>(services, settings + ".owner");
        if (templateId == kPolicyFileDialogId) models.owned = std::make_unique<PolicyFileDialog>(*models.owner);
        if (templateId == kSavePolicyDialogId) models.owned = std::make_unique<SavePolicyDialog>(*models.owner);
        if (templateId == kAboutDialogId) models.owned = std::make_unique<AboutDialog>(*models.owner);
        return models.owned.get();
    }
    if (templateId == kMoreHtmlOptionsDialogId) {
        if (!models.owner) models.owner = std::make_unique<MainDialog>(services, settings + ".owner");
        models.owned = std::make_unique<MoreHtmlOptionsDialog>(services, *models.owner, nullptr, models.advanced);
        return models.owned.get();
    }
    if (templateId == kMainDialogId) {
        models.main = std::make_unique<MainWindow>(services, settings);
        return &models.main->Dialog();
    }
    return nullptr;
}

TEST(WindowLayoutTest, EveryDescriptionHoldsExactlyItsModelsControls) {
    TempFolder temp{"window_layout"};
    ScriptedUiServices services;
    Models models;
    const std::vector<const WindowDescription*> descriptions = WindowDescriptions();
    ASSERT_FALSE(descriptions.empty());
    for (const WindowDescription* description : descriptions) {
        SCOPED_TRACE(description->templateId);
        EXPECT_EQ(FindWindowDescription(description->templateId), description);
        const DialogModel* model = ModelOf(description->templateId, services, models, (temp / "settings").string());
        ASSERT_NE(model, nullptr) << "a description without a model in this test";
        EXPECT_EQ(DescriptionMismatches(*description, *model), std::vector<std::string>{});
    }
    EXPECT_EQ(FindWindowDescription(-5), nullptr);
}

TEST(WindowLayoutTest, EverySheetDescriptionHoldsItsSheetAndEachPage) {
    TempFolder temp{"sheet_layout"};
    ScriptedUiServices services;
    MainDialog owner(services, (temp / "settings").string());
    // The models of every sheet with a description.
    Sheet output(owner, services);
    SheetAnalysis analysis(owner, services);
    SheetSettings settings(owner, services);
    const SheetModel* const sheets[] = {&output, &analysis, &settings};
    const std::vector<const SheetDescription*> descriptions = SheetDescriptions();
    ASSERT_EQ(descriptions.size(), std::size(sheets));
    for (const SheetModel* sheet : sheets) {
        SCOPED_TRACE(sheet->TemplateId());
        const SheetDescription* description = FindSheetDescription(sheet->TemplateId());
        ASSERT_NE(description, nullptr);
        EXPECT_EQ(SheetDescriptionMismatches(*description, *sheet), std::vector<std::string>{});
    }
    EXPECT_EQ(FindSheetDescription(kMainDialogId), nullptr);
}

// A font's text comes from the font chooser and from loads only.
TEST(WindowLayoutTest, TheFontFieldsAreReadOnly) {
    const std::vector<LayoutControl> controls = OutputSheetLayout().pages.at(2).Controls();
    int fonts = 0;
    for (const LayoutControl& control : controls) {
        const bool font = control.id == FontPage::kBodyFont || control.id == FontPage::kHeadingFont ||
                          control.id == FontPage::kTableFont || control.id == FontPage::kFixedFont ||
                          control.id == FontPage::kContentsFont;
        fonts += font ? 1 : 0;
        EXPECT_EQ(control.readOnly, font) << control.id;
    }
    EXPECT_EQ(fonts, 5);
}

TEST(WindowLayoutTest, EveryDifferenceFromTheModelIsNamed) {
    ScriptedUiServices services;
    DialogModel model(700, services);
    model.AddControl(10, ControlKind::kLabel, "Name");
    model.AddControl(11, ControlKind::kEdit);
    model.AddControl(12, ControlKind::kCheckBox);
    model.AddControl(13, ControlKind::kGroupBox);
    model.AddControl(kIdOk, ControlKind::kPushButton, "OK");

    const WindowDescription agreeing{
        700,
        {{13, {{{{10, ControlKind::kLabel}, {11, ControlKind::kEdit, true}}}, {{{12, ControlKind::kCheckBox}}}}},
         {kNoControl, {{{{kIdOk, ControlKind::kPushButton}}, true}}}}};
    EXPECT_TRUE(DescriptionMismatches(agreeing, model).empty());
    EXPECT_EQ(agreeing.GroupOf(12), &agreeing.groups[0]);
    EXPECT_EQ(agreeing.GroupOf(13), &agreeing.groups[0]);
    EXPECT_EQ(agreeing.GroupOf(kIdOk), &agreeing.groups[1]);
    EXPECT_EQ(agreeing.GroupOf(99), nullptr);

    const struct {
        const char* why;
        WindowDescription description;
        std::vector<std::string> wanted;
    } cases[] = {
        {"a control left out",
         {700,
          {{13, {{{{10, ControlKind::kLabel}, {11, ControlKind::kEdit}}}, {{{kIdOk, ControlKind::kPushButton}}}}}}},
         {"dialog 700: control 12 (check box) is missing from the description"}},
        {"a control the model lacks, a kind that differs",
         {700,
          {{13,
            {{{{10, ControlKind::kLabel}, {11, ControlKind::kComboBox}, {12, ControlKind::kCheckBox}}},
             {{{14, ControlKind::kPushButton}, {kIdOk, ControlKind::kPushButton}}}}}}},
         {"dialog 700: control 11: edit in the model, combo box in the description",
          "dialog 700: control 14 (push button) is not in the model"}},
        {"a control placed twice, no group box",
         {700,
          {{kNoControl,
            {{{{10, ControlKind::kLabel}, {11, ControlKind::kEdit}, {12, ControlKind::kCheckBox}}},
             {{{11, ControlKind::kEdit}, {kIdOk, ControlKind::kPushButton}}}}}}},
         {"dialog 700: control 11 is placed twice",
          "dialog 700: control 13 (group box) is missing from the description"}},
        {"another template",
         {701, {}},
         {"dialog 700: the description is of template 701",
          "dialog 700: control 1 (push button) is missing from the description",
          "dialog 700: control 10 (label) is missing from the description",
          "dialog 700: control 11 (edit) is missing from the description",
          "dialog 700: control 12 (check box) is missing from the description",
          "dialog 700: control 13 (group box) is missing from the description"}},
    };
    for (const auto& c : cases) EXPECT_EQ(DescriptionMismatches(c.description, model), c.wanted) << c.why;
}

TEST(WindowLayoutTest, ASheetIsCheckedWithItsOwnControlsAndEachPage) {
    ScriptedUiServices services;
    SheetModel sheet(800, services);
    DialogModel first(801, services);
    first.AddControl(10, ControlKind::kEdit);
    DialogModel second(802, services);
    second.AddControl(20, ControlKind::kCheckBox);
    sheet.AddPage(first, "First");
    sheet.AddPage(second, "Second");

    const WindowDescription firstPage{801, {{kNoControl, {{{{10, ControlKind::kEdit}}}}}}};
    const WindowDescription secondPage{802, {{kNoControl, {{{{20, ControlKind::kCheckBox}}}}}}};
    const WindowDescription wrongKind{802, {{kNoControl, {{{{20, ControlKind::kRadioButton}}}}}}};
    const struct {
        const char* why;
        SheetDescription description;
        std::vector<std::string> wanted;
    } cases[] = {
        {"agreeing", {SheetFrameDescription(800), {firstPage, secondPage}}, {}},
        {"no Apply button in the description",
         {SheetFrameDescription(800, false), {firstPage, secondPage}},
         {"dialog 800: control 12321 (push button) is missing from the description"}},
        {"a page too few",
         {SheetFrameDescription(800), {firstPage}},
         {"sheet 800: 2 pages in the model, 1 in the description"}},
        {"pages in another order",
         {SheetFrameDescription(800), {secondPage, firstPage}},
         {"dialog 801: the description is of template 802", "dialog 801: control 20 (check box) is not in the model",
          "dialog 801: control 10 (edit) is missing from the description",
          "dialog 802: the description is of template 801", "dialog 802: control 10 (edit) is not in the model",
          "dialog 802: control 20 (check box) is missing from the description"}},
        {"a kind that differs on a page",
         {SheetFrameDescription(800), {firstPage, wrongKind}},
         {"dialog 802: control 20: check box in the model, radio button in the description"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SheetDescriptionMismatches(c.description, sheet), c.wanted) << c.why;

    SheetModel withoutApply(803, services, SheetModel::ApplyButton::kWithout);
    EXPECT_EQ(SheetDescriptionMismatches({SheetFrameDescription(803, false), {}}, withoutApply),
              std::vector<std::string>{});
}

}  // namespace
