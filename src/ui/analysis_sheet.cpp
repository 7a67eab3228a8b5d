#include "ui/analysis_sheet.h"

#include <iterator>

#include "app/base_dialog.h"
#include "texts/dialog_ids.h"
#include "texts/sheet_topics.h"
#include "texts/ui_slots.h"
#include "texts/ui_texts.h"
#include "ui/data_exchange.h"
#include "ui/dialog_texts.h"

namespace {

// The kind of policy change that has the file analysed again.
constexpr int kAnalysisCategory = 2;

}  // namespace

// ---- File structure ----

std::span<const PageControl> FileStructPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/file_structure.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

FileStructPage::FileStructPage(UiServices& services)
    : OptionPage(kFileStructPageDialogId, kTopicFileStructure, services) {
    SetCaption("File structure");
    AddControls(Controls());

    // Picking the entry already shown changes nothing.
    On(kJustification, NotifyEvent::kSelectionEnded, [this] {
        BoundControl* bound = MutableBound(kJustification);
        if (Selection(kJustification) != bound->number) SelectionMade(bound->changed);
    });
}

void FileStructPage::Store(FC& set) {
    const bool any = AnyChanged();
    OptionPage::Store(set);
    // The input-file values (double spacing, page markers, change bars and
    // the character kinds) are of the catalogue's input category, which
    // alone would not have the file analysed again.
    if (any) NotifyStored(kAnalysisCategory);
}

// ---- Table analysis ----

std::span<const PageControl> TabAnalPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/table_analysis.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

TabAnalPage::TabAnalPage(UiServices& services) : OptionPage(kTabAnalPageDialogId, kTopicTableAnalysis, services) {
    SetCaption("Table analysis");
    AddControls(Controls());

    for (const Slider& slider : sliders_)
        On(slider.controlId, NotifyEvent::kSliderMoved, [this, id = slider.controlId] { SliderMoved(id); });
}

TabAnalPage::Slider* TabAnalPage::FindSlider(int sliderId) {
    for (Slider& slider : sliders_)
        if (slider.controlId == sliderId) return &slider;
    return nullptr;
}

const TabAnalPage::Slider* TabAnalPage::FindSlider(int sliderId) const {
    for (const Slider& slider : sliders_)
        if (slider.controlId == sliderId) return &slider;
    return nullptr;
}

int TabAnalPage::SliderValue(int sliderId) const {
    const Slider* slider = FindSlider(sliderId);
    return slider == nullptr ? 0 : slider->value;
}

bool TabAnalPage::SliderChanged(int sliderId) const {
    const Slider* slider = FindSlider(sliderId);
    return slider != nullptr && slider->changed;
}

void TabAnalPage::SliderMoved(int sliderId) {
    Slider* slider = FindSlider(sliderId);
    const int before = slider->value;
    UpdateData(true);
    if (slider->value != before) MarkChanged(slider->changed);
}

void TabAnalPage::LoadValues(const FC& set) {
    OptionPage::LoadValues(set);
    // A separation below one space is read as one space: the field shows
    // what the analysis uses.
    BoundControl* separation = MutableBound(kMinSeparation);
    if (!separation->changed && separation->number < kLeastSeparation) separation->number = kLeastSeparation;
    const TabConfig* config = set.GetDefaultTabConfig();
    for (Slider& slider : sliders_)
        if (!slider.changed) slider.value = config == nullptr ? 0 : config->GetInt(slider.policy);
}

void TabAnalPage::Store(FC& set) {
    // These values steer the analysis itself: each tells the main dialog
    // the category its catalogue gives it, so that a change has the file
    // analysed again (the table items of the output sheet are output
    // changes instead).
    for (BoundControl& bound : bound_) {
        if (!bound.changed) continue;
        const int value = bound.kind == BoundKind::kNumber ? bound.number : (bound.number != 0 ? 1 : 0);
        bound.policy.SetNumber(set, value);
        NotifyStored(bound.policy.CatalogueCategory());
    }
    TabConfig* config = set.GetDefaultTabConfig();
    for (const Slider& slider : sliders_) {
        if (!slider.changed || config == nullptr) continue;
        config->SetInt(slider.policy, slider.value, true);
        NotifyStored(GetTablePolicyDefinition(slider.policy).category);
    }
}

void TabAnalPage::ResetChanged() {
    OptionPage::ResetChanged();
    for (Slider& slider : sliders_) slider.changed = false;
}

void TabAnalPage::OnInitDialog() {
    for (const Slider& slider : sliders_) SetRange(slider.controlId, kSliderMin, kSliderMax);
    OptionPage::OnInitDialog();
}

void TabAnalPage::ExchangeOwn(DataExchange& dx) {
    for (Slider& slider : sliders_) dx.Slider(slider.controlId, slider.value);
}

// ---- The sheet ----

namespace {

// The tabs in order with the UI slot of each label and the English label the
// templates carry.
struct TabEntry {
    int slot;
    const char* label;
};
constexpr TabEntry kTabs[] = {
    {kUiTabFileStructure, "File structure"},
    {kUiTabTableAnalysis, "Table analysis"},
};

}  // namespace

SheetAnalysis::SheetAnalysis(BaseDialog& mainDialog, UiServices& services)
    : PolicySheet(kAnalysisSheetDialogId, mainDialog, kAnalysisLeft, services),
      fileStructure(services),
      tableAnalysis(services) {
    SetCaption("Analysis Policies");
    OptionPage* const pages[] = {&fileStructure, &tableAnalysis};
    for (size_t i = 0; i < std::size(pages); ++i) {
        AddPage(*pages[i], kTabs[i].label);
        pages[i]->AttachSheet(*this);
    }
}

void SheetAnalysis::LoadPages(FC& set, FC& second) {
    fileStructure.Load(set, second);
    tableAnalysis.Load(set, second);
}

void SheetAnalysis::StorePages(FC& target) {
    fileStructure.Store(target);
    tableAnalysis.Store(target);
    Owner().policiesEdited = 1;
}

void SheetAnalysis::ResetChanged() {
    fileStructure.ResetChanged();
    tableAnalysis.ResetChanged();
}

void SheetAnalysis::SetActivePageByTopic(int topic) {
    SetActivePage(topic == kTopicFileStructure ? static_cast<DialogModel&>(fileStructure) : tableAnalysis);
}

void SheetAnalysis::ChangeLanguage(int language) {
    if (!HasWindow()) return;
    fileStructure.ChangeLanguage(language);
    tableAnalysis.ChangeLanguage(language);
    for (int i = 0; i < PageCount(); ++i) SetTabLabel(i, GetUiText(kTabs[i].slot));
    SetSheetTexts(this, kUiAnalysisSheetCaption);
    SetSheetLanguage(language);
}

void SheetAnalysis::OnInitDialog() {
    BaseSheet::OnInitDialog();
    // Without a saved position the sheet opens at the desktop's left edge
    // (the output sheet takes the right).
    const int* positions = Owner().settings.windowPositions;
    if (positions[kAnalysisLeft] >= 0 && positions[kAnalysisTop] >= 0) return;
    const DesktopSize desktop = Services().GetDesktopSize();
    PlaceOnDesktop(kDesktopMargin, desktop.height - Rect().height - kDesktopMargin);
}
