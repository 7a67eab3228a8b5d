#include "ui/tool_tips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "texts/dialog_ids.h"
#include "texts/language_texts.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/dialog_model.h"
#include "ui/scripted_services.h"

namespace {

constexpr const char kPlaceholder[] = "placeholder";
constexpr const char kNoTip[] = "";

// The main dialog's controls with tips; its template has neither 2009 nor
// 1016, which the list names.
const std::vector<int> kMainDialogControls = {1015, 1122, 1001, 1012, 1621, 1080,
                                              1077, 1078, 1079, 1505, 1520, 1198};

// A dialog with the given controls, labelled with a placeholder.
class TipDialog : public DialogModel {
public:
    TipDialog(int templateId, UiServices& services, const std::vector<int>& controls, bool withWindow = true)
        : DialogModel(templateId, services) {
        for (int id : controls) AddControl(id, ControlKind::kPushButton, kPlaceholder);
        if (withWindow) CreateWindow();
    }
};

class ToolTipsTest : public testing::Test {
protected:
    void SetUp() override {
        SetToolTipLanguage(kLanguageEnglish);
        SetUiLanguage(kLanguageEnglish);
        tips.Create();
    }
    void TearDown() override {
        SetToolTipLanguage(kLanguageEnglish);
        SetUiLanguage(kLanguageEnglish);
    }
    ScriptedUiServices services;
    TipDialog main{kMainDialogId, services, kMainDialogControls};
    ToolTipControl tips;
};

TEST(ToolTipTableTest, ListsThisProgramsTemplatesOnly) {
    const std::span<const int> main = ToolTipTable(kMainDialogId);
    EXPECT_EQ(
        std::vector<int>(main.begin(), main.end()),
        (std::vector<int>{1015, 1122, 1001, 2009, 1012, 1621, 1080, 1077, 1078, 1079, 1016, 1505, 1520, 1198}));
    struct Row {
        int dialogId;
        size_t count;
    };
    const Row rows[] = {
        {kAddedHTMLPageDialogId, 9},
        {kHyperlinksPageDialogId, 16},
        {kPolicyFileDialogId, 4},
        {kColoursPageDialogId, 6},
        {kTablePageDialogId, 17},
        {kTabAnalPageDialogId, 4},
        {kSettingsDragPageDialogId, 3},
        {kSettingsViewerPageDialogId, 10},
        {kSettingsDocoPageDialogId, 2},
        {kSettingsMessagesPageDialogId, 1},
        {kRTFDocumentPageDialogId, 8},
        {kFileStructPageDialogId, 10},
        {kRTFSettingsPageDialogId, 1},
        {kMoreHtmlOptionsDialogId, 5},
        // Templates without tips.
        {kStatusWindowDialogId, 0},
        {kSavePolicyDialogId, 0},
        {kSettingsPolicyPageDialogId, 0},
        {102, 0},
        {129, 0},
        {197, 0},
    };
    for (const Row& row : rows) EXPECT_EQ(ToolTipTable(row.dialogId).size(), row.count) << row.dialogId;
}

TEST_F(ToolTipsTest, AddingRegistersTheListedControlsTheDialogHas) {
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true), 12);
    for (int id : kMainDialogControls) {
        EXPECT_TRUE(tips.IsRegistered(id)) << id;
        EXPECT_STREQ(main.Control(id)->toolTip.c_str(), GetToolTipText(id)) << id;
    }
    EXPECT_FALSE(tips.IsRegistered(2009));
    EXPECT_FALSE(main.HasControl(2009));
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), "Start the conversion");
    // Controls that say the same thing show one text.
    EXPECT_EQ(main.Control(1077)->toolTip, main.Control(1078)->toolTip);
    EXPECT_EQ(main.Control(1077)->toolTip, main.Control(1079)->toolTip);
    // Adding again adds nothing twice.
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true), 12);
}

// Without a dialog window, a dialog object or a tool-tip control nothing
// is registered and no label changes.
TEST_F(ToolTipsTest, NothingHappensWithoutTheWindows) {
    TipDialog closed(kMainDialogId, services, kMainDialogControls, false);
    ToolTipControl noControl;
    struct Case {
        const char* name;
        DialogModel* dialog;
        ToolTipControl* control;
        ToolTipMode mode;
    };
    const Case cases[] = {
        {"no dialog window, add", &closed, &tips, ToolTipMode::kAdd},
        {"no dialog window, set texts", &closed, &tips, ToolTipMode::kSetTexts},
        {"no dialog", nullptr, &tips, ToolTipMode::kSetTexts},
        {"no tool-tip control, add", &main, &noControl, ToolTipMode::kAdd},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ApplyToolTips(c.mode, c.dialog, kMainDialogId, *c.control, true), 0) << c.name;
        EXPECT_EQ(c.control->ToolCount(), 0) << c.name;
    }
    EXPECT_STREQ(closed.ControlText(1001), kPlaceholder);
    EXPECT_STREQ(closed.Control(1015)->toolTip.c_str(), kNoTip);
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), kNoTip);
}

TEST_F(ToolTipsTest, SettingTextsWithoutAToolTipControlStillRelabels) {
    ToolTipControl noControl;
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, noControl, true), 0);
    EXPECT_STRNE(main.ControlText(1001), kPlaceholder);
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), kNoTip);
}

TEST_F(ToolTipsTest, RemovedTipsComeBackOnlyWhileTipsAreShown) {
    ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true);
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kRemove, &main, kMainDialogId, tips, true), 0);
    for (int id : kMainDialogControls) EXPECT_STREQ(main.Control(id)->toolTip.c_str(), kNoTip) << id;

    // Tips switched off: the labels are the dialog's own and change; no
    // tool appears.
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, tips, false), 0);
    EXPECT_STREQ(main.ControlText(1001), "Browse...");
    for (int id : kMainDialogControls) EXPECT_STREQ(main.Control(id)->toolTip.c_str(), kNoTip) << id;

    // Tips on: registered again, with their texts.
    main.SetControlText(1001, kPlaceholder);
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, tips, true), 12);
    EXPECT_STREQ(main.ControlText(1001), "Browse...");
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), "Start the conversion");
}

TEST_F(ToolTipsTest, SettingTextsFollowsTheLanguage) {
    ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true);
    SetToolTipLanguage(kLanguageGerman);
    SetUiLanguage(kLanguageGerman);
    // The tools' texts change whether or not new tools may be added.
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, tips, false), 12);
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), "Konvertierung beginnen");
    EXPECT_STREQ(main.Control(1198)->toolTip.c_str(), "de: Launch viewer application to load output file");
}

TEST_F(ToolTipsTest, RemovingLeavesControlsThatWereNeverToolsAlone) {
    // A control of the list that the dialog gained after registering, with
    // a tip of its own, and a page whose tips were never registered.
    ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true);
    main.AddControl(2009, ControlKind::kPushButton, kPlaceholder);
    main.SetToolTip(2009, "own tip");
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kRemove, &main, kMainDialogId, tips, true), 0);
    EXPECT_STREQ(main.Control(2009)->toolTip.c_str(), "own tip");

    TipDialog page(kSettingsDragPageDialogId, services, {1130, 1129, 1237});
    page.SetToolTip(1130, "own tip");
    ToolTipControl pageTips;
    pageTips.Create();
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kRemove, &page, kSettingsDragPageDialogId, pageTips, true), 0);
    EXPECT_STREQ(page.Control(1130)->toolTip.c_str(), "own tip");
    EXPECT_STREQ(page.ControlText(1130), kPlaceholder);
}

TEST_F(ToolTipsTest, DestroyingTheControlForgetsItsTools) {
    ApplyToolTips(ToolTipMode::kAdd, &main, kMainDialogId, tips, true);
    tips.Destroy(main);
    EXPECT_FALSE(tips.HasWindow());
    EXPECT_EQ(tips.ToolCount(), 0);
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), kNoTip);
    // A new control with tips off: no stale tip shows.
    tips.Create();
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, tips, false), 0);
    EXPECT_STREQ(main.Control(1015)->toolTip.c_str(), kNoTip);
    EXPECT_EQ(ApplyToolTips(ToolTipMode::kSetTexts, &main, kMainDialogId, tips, true), 12);
}

}  // namespace
