#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "texts/dialog_ids.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"
#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/policy_file_dialogs.h"
#include "ui/status_window.h"

namespace {

// The model of each dialog that has a window description, and what owns
// it.
struct Models {
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<StatusWindow> status;
    std::unique_ptr<MainDialog> owner;  // of the policy-file dialogs and the About box
    std::unique_ptr<DialogModel> owned;
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

}  // namespace
