// The pages of the three property sheets against their tables: every row is
// a control of its page, labelled in every language, showing its tip where
// its row gives one, storing into the policy it names, and enabled as its
// row says.  Each test runs over every row of every page.
#include "ui/page_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/page_actions.h"
#include "support/sheet_fixture.h"
#include "texts/page_texts.h"
#include "texts/tool_tip_tables.h"
#include "texts/tool_tip_texts.h"
#include "texts/ui_texts.h"
#include "ui/analysis_sheet.h"
#include "ui/dialog_texts.h"
#include "ui/settings_sheet.h"

namespace {

const char kNoTip[] = "*** No Tool Tip text for this control ***";

const int kLanguages[] = {kLanguageEnglish,    kLanguageGerman,  kLanguageSpanish, kLanguageFrench,
                          kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

class PageTableTest : public OutputSheetFixture {
protected:
    PageTableTest() : OutputSheetFixture("page_table") {}

    void SetUp() override {
        OutputSheetFixture::SetUp();
        dialog->settings.displayToolTips = true;
        output = sheet.get();
        analysis = std::make_unique<SheetAnalysis>(*dialog, services);
        settings = std::make_unique<SheetSettings>(*dialog, services);
        for (BaseSheet* each : Sheets())
            for (int i = 0; i < each->PageCount(); ++i) pages.push_back(&static_cast<OptionPage&>(each->Page(i)));
    }
    void TearDown() override {
        analysis.reset();
        settings.reset();
        OutputSheetFixture::TearDown();
        SetUiLanguage(kLanguageEnglish);
        SetToolTipLanguage(kLanguageEnglish);
    }

    std::vector<BaseSheet*> Sheets() const { return {output, analysis.get(), settings.get()}; }

    // Every sheet opened and every page shown once (its window made, its
    // tips registered).
    void OpenEveryPage() {
        for (BaseSheet* each : Sheets()) {
            each->Open(Working(), Working(), dialog->SixthSet(), 0);
            for (int i = 0; i < each->PageCount(); ++i) each->SetActivePage(i);
        }
    }

    void ChangeLanguage(int code) {
        dialog->ChangeLanguage(code);
        for (BaseSheet* each : Sheets()) each->ChangeLanguage(code);
    }

    Sheet* output = nullptr;
    std::unique_ptr<SheetAnalysis> analysis;
    std::unique_ptr<SheetSettings> settings;
    std::vector<OptionPage*> pages;
};

std::string Where(const OptionPage& page, int id) {
    return "page " + std::to_string(page.TemplateId()) + " control " + std::to_string(id);
}

// The page's controls are its rows, each once and of its row's kind, and the
// texts below the dialog layer read the same rows.
TEST_F(PageTableTest, EveryControlOfEveryPageIsOneRowOfItsTable) {
    EXPECT_EQ(pages.size(), std::size(kSheetPageTexts));
    for (const OptionPage* page : pages) {
        const std::span<const PageControl> rows = page->TableControls();
        ASSERT_FALSE(rows.empty()) << page->TemplateId();
        std::set<int> ids;
        for (const PageControl& row : rows) {
            EXPECT_TRUE(ids.insert(row.id).second) << Where(*page, row.id) << " has two rows";
            ASSERT_NE(page->Control(row.id), nullptr) << Where(*page, row.id);
            EXPECT_EQ(page->Control(row.id)->kind, row.kind) << Where(*page, row.id);
        }
        const std::vector<int> controls = page->ControlIds();
        EXPECT_EQ(std::set<int>(controls.begin(), controls.end()), ids) << page->TemplateId();

        const PageTexts* texts = FindPageTexts(page->TemplateId());
        ASSERT_NE(texts, nullptr) << page->TemplateId();
        ASSERT_EQ(texts->rows.size(), rows.size()) << page->TemplateId();
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(texts->rows[i].controlId, rows[i].id) << Where(*page, rows[i].id);
            EXPECT_EQ(texts->rows[i].label.source, rows[i].label.source) << Where(*page, rows[i].id);
        }
    }
}

// A labelled control carries its English label from the start and shows
// its label in whichever language is chosen; one without a label stays
// without.
TEST_F(PageTableTest, EveryLabelledControlIsLabelledInEveryLanguage) {
    for (const OptionPage* page : pages)
        for (const PageControl& row : page->TableControls())
            if (row.label.source != LabelSource::kNone && row.label.source != LabelSource::kEnglishOnly) {
                EXPECT_STRNE(page->ControlText(row.id), "") << Where(*page, row.id);
            }
    OpenEveryPage();
    for (int code : kLanguages) {
        ChangeLanguage(code);
        for (const OptionPage* page : pages)
            for (const PageControl& row : page->TableControls()) {
                const std::string text = page->ControlText(row.id);
                if (row.label.source == LabelSource::kNone) {
                    if (row.kind != ControlKind::kEdit && row.kind != ControlKind::kComboBox) {
                        EXPECT_EQ(text, "") << Where(*page, row.id);
                    }
                    continue;
                }
                EXPECT_NE(text, "") << Where(*page, row.id) << " language " << code;
                EXPECT_NE(text, "???") << Where(*page, row.id) << " language " << code;
                EXPECT_EQ(text, DialogItemTextInForce(*page, row.id).str()) << Where(*page, row.id);
                if (row.label.source == LabelSource::kEnglishOnly || code == kLanguageEnglish) {
                    EXPECT_EQ(text, EnglishLabelOf(row.label)) << Where(*page, row.id);
                }
            }
    }
}

// With tips shown, a row with a tip shows the tip of its control (a control
// saying what another says shows that one's), in English and the
// translations; a row without shows none.
TEST_F(PageTableTest, EveryControlWithATipShowsItAndNoOtherDoes) {
    // Every English tip is a text some control owns, and every owner has
    // its English text.
    for (const TextRow& row : EnglishToolTipRows()) EXPECT_GE(ToolTipTexts::TextIndexOf(row.slot), 0) << row.slot;
    SetToolTipLanguage(kLanguageEnglish);
    for (int owner : kToolTipTextOwners) EXPECT_STRNE(GetToolTipText(owner), "") << owner;

    OpenEveryPage();
    for (int code : {kLanguageEnglish, kLanguageGerman, kLanguageSwedish}) {
        ChangeLanguage(code);
        for (const OptionPage* page : pages) {
            const PageTexts* texts = FindPageTexts(page->TemplateId());
            ASSERT_NE(texts, nullptr);
            for (const PageTextRow& row : texts->rows) {
                const std::string tip = page->Control(row.controlId)->toolTip.str();
                switch (row.tip.source) {
                    case TipSource::kNone: EXPECT_EQ(tip, "") << Where(*page, row.controlId); break;
                    case TipSource::kOwn:
                        EXPECT_EQ(tip, GetToolTipText(row.controlId)) << Where(*page, row.controlId);
                        EXPECT_NE(tip, kNoTip) << Where(*page, row.controlId);
                        EXPECT_NE(tip, "") << Where(*page, row.controlId);
                        break;
                    case TipSource::kOfOther:
                        EXPECT_EQ(tip, GetToolTipText(row.tip.ownerId)) << Where(*page, row.controlId);
                        EXPECT_NE(tip, kNoTip) << Where(*page, row.controlId);
                        break;
                }
            }
        }
    }
}

// What the user does to a bound control so that it shows another value.
void ChangeValue(OptionPage& page, const PageControl& row) {
    const Binding& binding = row.binding;
    const DialogControl& control = *page.Control(row.id);
    switch (binding.bound) {
        case BoundKind::kCheck:
        case BoundKind::kInvertedCheck: SetCheck(page, row.id, !control.checked); break;
        case BoundKind::kText: TypeInto(page, row.id, "Changed text"); break;
        case BoundKind::kColour: TypeInto(page, row.id, "123456"); break;
        case BoundKind::kNumber: {
            const int value =
                control.text.str() == std::to_string(binding.minValue) ? binding.maxValue : binding.minValue;
            TypeInto(page, row.id, std::to_string(value).c_str());
            break;
        }
        case BoundKind::kRadioPair:
        case BoundKind::kRadioPairFirstOn: {
            const int other = control.checked ? binding.otherId : row.id;
            ChooseRadio(page, row.id, binding.otherId, other);
            break;
        }
        case BoundKind::kChoiceList:
        case BoundKind::kAlignmentList: Pick(page, row.id, control.selection == 1 ? 2 : 1); break;
    }
}

// Changing any bound control and storing the page sets the policy its row
// names, and a load from the stored set shows the value again.
TEST_F(PageTableTest, EveryBoundControlStoresIntoThePolicyItsRowNames) {
    OpenEveryPage();
    for (OptionPage* page : pages)
        for (const PageControl& row : page->TableControls()) {
            if (row.binding.kind != BindingKind::kPolicy) continue;
            FC stored;
            ASSERT_FALSE(row.binding.policy.IsSet(stored)) << Where(*page, row.id);
            ChangeValue(*page, row);
            const BoundControl* bound = page->Bound(row.id);
            ASSERT_NE(bound, nullptr) << Where(*page, row.id);
            EXPECT_TRUE(bound->changed) << Where(*page, row.id);
            const int number = bound->number;
            const std::string text = bound->text.str();
            page->Store(stored);
            EXPECT_TRUE(row.binding.policy.IsSet(stored)) << Where(*page, row.id);
            page->ResetChanged();
            page->Load(stored, stored);
            EXPECT_EQ(bound->number, number) << Where(*page, row.id);
            EXPECT_EQ(bound->text.str(), text) << Where(*page, row.id);
            page->Load(Working(), Working());
        }
}

// Sets the check boxes a rule names: every condition holds, or with
// `broken`, that one does not.
void SetConditions(OptionPage& page, const Enabling& enabling, int broken) {
    for (int i = 0; i < enabling.count; ++i) {
        const EnableCondition& condition = enabling.conditions[static_cast<size_t>(i)];
        const bool holds = enabling.rule == Enabling::Rule::kWhileAny ? i == broken : i != broken;
        SetCheck(page, condition.controlId, holds ? condition.on : !condition.on);
    }
}

// A control is enabled while the boxes its row names are as the row says,
// never when its row says so, and hidden at every refresh when its row
// hides it; a row enabled always is never disabled.
TEST_F(PageTableTest, EveryControlIsEnabledAndShownAsItsRowSays) {
    OpenEveryPage();
    for (OptionPage* page : pages)
        for (const PageControl& row : page->TableControls()) {
            const Enabling& enabling = row.enabling;
            page->RefreshEnabling();
            EXPECT_EQ(page->Control(row.id)->visible, !enabling.hidden) << Where(*page, row.id);
            switch (enabling.rule) {
                case Enabling::Rule::kAlways: EXPECT_TRUE(page->IsEnabled(row.id)) << Where(*page, row.id); break;
                case Enabling::Rule::kNever: EXPECT_FALSE(page->IsEnabled(row.id)) << Where(*page, row.id); break;
                case Enabling::Rule::kWhileAll:
                    SetConditions(*page, enabling, -1);
                    EXPECT_TRUE(page->IsEnabled(row.id)) << Where(*page, row.id);
                    for (int broken = 0; broken < enabling.count; ++broken) {
                        SetConditions(*page, enabling, broken);
                        EXPECT_FALSE(page->IsEnabled(row.id)) << Where(*page, row.id) << " condition " << broken;
                    }
                    break;
                case Enabling::Rule::kWhileAny:
                    SetConditions(*page, enabling, -1);
                    EXPECT_FALSE(page->IsEnabled(row.id)) << Where(*page, row.id);
                    for (int holding = 0; holding < enabling.count; ++holding) {
                        SetConditions(*page, enabling, holding);
                        EXPECT_TRUE(page->IsEnabled(row.id)) << Where(*page, row.id) << " condition " << holding;
                    }
                    break;
            }
        }
}

}  // namespace
