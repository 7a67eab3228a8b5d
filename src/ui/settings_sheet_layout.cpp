#include "ui/settings_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/page_table.h"
#include "ui/settings_pages.h"

namespace {

WindowDescription DocoLayout() {
    using Page = SettingsDocoPage;
    return PageLayout(kSettingsDocoPageDialogId, Page::Controls(),
                      {{Page::kDocumentationGroup, {Line({Page::kDocumentation, Page::kBrowse})}}});
}

WindowDescription DragLayout() {
    using Page = SettingsDragPage;
    return PageLayout(
        kSettingsDragPageDialogId, Page::Controls(),
        {{Page::kDragGroup,
          {Line({Page::kViewResults}), Line({Page::kViewStatusWindow}), Line({Page::kStartProgram})}}});
}

WindowDescription MessagesLayout() {
    using Page = SettingsMessagesPage;
    return PageLayout(kSettingsMessagesPageDialogId, Page::Controls(),
                      {{Page::kLevelGroup, {Line({Page::kLowLabel, Page::kReportingLevel, Page::kHighLabel})}},
                       {Page::kFilterGroup,
                        {Line({Page::kShowInfo}), Line({Page::kShowWarnings}), Line({Page::kShowProgramErrors}),
                         Line({Page::kShowTagErrors}), Line({Page::kShowUrls})}}});
}

WindowDescription PolicyLayout() {
    using Page = SettingsPolicyPage;
    return PageLayout(
        kSettingsPolicyPageDialogId, Page::Controls(),
        {{Page::kDefaultPolicyGroup,
          {Line({Page::kUseDefault}), Line({Page::kFile, Page::kBrowse}), Line({Page::kAlwaysReload})}}});
}

WindowDescription ViewerLayout() {
    using Page = SettingsViewerPage;
    return PageLayout(
        kSettingsViewerPageDialogId, Page::Controls(),
        {{kNoControl,
          {Line({Page::kBrowserLabel}), Line({Page::kBrowserCommand, Page::kBrowseBrowser}), Line({Page::kRtfLabel}),
           Line({Page::kRtfCommand, Page::kBrowseRtf}), Line({Page::kAutoView}), Line({Page::kUseDde}),
           Line({Page::kServiceLabel, Page::kServiceList}), Line({Page::kOtherService}),
           Line({Page::kUrlPrefix})}}});
}

}  // namespace

const SheetDescription& SettingsSheetLayout() {
    // In the sheet's tab order.
    static const SheetDescription layout{
        SheetFrameDescription(kSettingsSheetDialogId),
        {DocoLayout(), DragLayout(), MessagesLayout(), PolicyLayout(), ViewerLayout()}};
    return layout;
}
