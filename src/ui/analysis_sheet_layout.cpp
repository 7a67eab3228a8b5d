#include "ui/analysis_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/analysis_sheet.h"

namespace {

// The controls' own ids that the pages name only where they make them.
// File structure.
constexpr int kContentsGroup = 1434;
constexpr int kAttributesGroup = 1432;
// Table analysis.
constexpr int kDetectionGroup = 1487;
constexpr int kExtendLabel = 1488;
constexpr int kLowLabel = 1490;
constexpr int kHighLabel = 1491;
constexpr int kColumnsGroup = 1205;
constexpr int kMergeLabel = 1492;
constexpr int kNeverLabel = 1493;
constexpr int kAlwaysLabel = 1495;
constexpr int kSeparationLabel = 1206;

// A number field's least width, in average characters.
constexpr int kNumberChars = 8;
// The justification list shows its five entries.
constexpr int kJustificationLines = 5;

LayoutControl Label(int id) { return {id, ControlKind::kLabel}; }
LayoutControl Check(int id) { return {id, ControlKind::kCheckBox}; }
LayoutControl Number(int id) { return {id, ControlKind::kEdit, false, 1, kNumberChars}; }
LayoutControl Slider(int id) { return {id, ControlKind::kSlider, true}; }

WindowDescription FileStructureLayout() {
    using Page = FileStructPage;
    return {kFileStructPageDialogId,
            {{kContentsGroup, {{{Check(Page::kKeepItSimple)}}, {{Check(Page::kCodeSamples)}}}},
             {kAttributesGroup,
              {{{Check(Page::kDoubleSpaced)}},
               {{Check(Page::kPageMarkers), Label(Page::kPageMarkerSizeLabel), Number(Page::kPageMarkerSize)}},
               {{Check(Page::kChangeBars)}},
               {{Check(Page::kDosCharacters)}},
               {{Check(Page::kJapanese)}},
               {{Check(Page::kMime)}},
               {{Check(Page::kPclCodes)}},
               {{Label(Page::kJustificationLabel),
                 {Page::kJustification, ControlKind::kList, true, kJustificationLines}}}}}}};
}

WindowDescription TableAnalysisLayout() {
    using Page = TabAnalPage;
    return {kTabAnalPageDialogId,
            {{kDetectionGroup,
              {{{Check(Page::kAttemptTables)}},
               {{Label(kExtendLabel)}},
               {{Label(kLowLabel), Slider(Page::kExtendingFactor), Label(kHighLabel)}}}},
             {kColumnsGroup,
              {{{Check(Page::kSparseColumns)}},
               {{Check(Page::kIgnoreHeader)}},
               {{Label(kMergeLabel)}},
               {{Label(kNeverLabel), Slider(Page::kMergingFactor), Label(kAlwaysLabel)}},
               {{Label(kSeparationLabel), Number(Page::kMinSeparation)}}}}}};
}

}  // namespace

const SheetDescription& AnalysisSheetLayout() {
    // In the sheet's tab order.
    static const SheetDescription layout{SheetFrameDescription(kAnalysisSheetDialogId),
                                         {FileStructureLayout(), TableAnalysisLayout()}};
    return layout;
}
