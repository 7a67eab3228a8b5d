#include "ui/analysis_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/analysis_sheet.h"
#include "ui/page_table.h"

namespace {

WindowDescription FileStructureLayout() {
    using Page = FileStructPage;
    return PageLayout(
        kFileStructPageDialogId, Page::Controls(),
        {{Page::kContentsGroup, {Line({Page::kKeepItSimple}), Line({Page::kCodeSamples})}},
         {Page::kAttributesGroup,
          {Line({Page::kDoubleSpaced}),
           Line({Page::kPageMarkers, Page::kPageMarkerSizeLabel, Page::kPageMarkerSize}), Line({Page::kChangeBars}),
           Line({Page::kDosCharacters}), Line({Page::kJapanese}), Line({Page::kMime}), Line({Page::kPclCodes}),
           Line({Page::kJustificationLabel, Page::kJustification})}}});
}

WindowDescription TableAnalysisLayout() {
    using Page = TabAnalPage;
    return PageLayout(kTabAnalPageDialogId, Page::Controls(),
                      {{Page::kDetectionGroup,
                        {Line({Page::kAttemptTables}), Line({Page::kExtendLabel}),
                         Line({Page::kLowLabel, Page::kExtendingFactor, Page::kHighLabel})}},
                       {Page::kColumnsGroup,
                        {Line({Page::kSparseColumns}), Line({Page::kIgnoreHeader}), Line({Page::kMergeLabel}),
                         Line({Page::kNeverLabel, Page::kMergingFactor, Page::kAlwaysLabel}),
                         Line({Page::kSeparationLabel, Page::kMinSeparation})}}});
}

}  // namespace

const SheetDescription& AnalysisSheetLayout() {
    // In the sheet's tab order.
    static const SheetDescription layout{SheetFrameDescription(kAnalysisSheetDialogId),
                                         {FileStructureLayout(), TableAnalysisLayout()}};
    return layout;
}
