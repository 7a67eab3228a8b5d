#include "ui/settings_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/settings_pages.h"

namespace {

// The controls' own ids that the pages name only where they make them.
constexpr int kDocumentationGroup = 1429;
constexpr int kDragGroup = 1442;
constexpr int kLevelGroup = 1430;
constexpr int kLowLabel = 1394;
constexpr int kHighLabel = 1395;
constexpr int kFilterGroup = 1431;
constexpr int kDefaultPolicyGroup = 1428;
constexpr int kBrowserLabel = 1235;
constexpr int kRtfLabel = 1236;

// A path or command field's least width, in average characters.
constexpr int kPathChars = 40;
// The DDE service list shows every entry.
constexpr int kServiceLines = 5;

LayoutControl Label(int id) { return {id, ControlKind::kLabel}; }
LayoutControl Path(int id) { return {id, ControlKind::kEdit, true, 1, kPathChars}; }
LayoutControl Button(int id) { return {id, ControlKind::kPushButton}; }
LayoutControl Check(int id) { return {id, ControlKind::kCheckBox}; }

WindowDescription DocoLayout() {
    using Page = SettingsDocoPage;
    return {kSettingsDocoPageDialogId,
            {{kDocumentationGroup, {{{Path(Page::kDocumentation), Button(Page::kBrowse)}}}}}};
}

WindowDescription DragLayout() {
    using Page = SettingsDragPage;
    return {kSettingsDragPageDialogId,
            {{kDragGroup,
              {{{Check(Page::kViewResults)}}, {{Check(Page::kViewStatusWindow)}}, {{Check(Page::kStartProgram)}}}}}};
}

WindowDescription MessagesLayout() {
    using Page = SettingsMessagesPage;
    return {kSettingsMessagesPageDialogId,
            {{kLevelGroup,
              {{{Label(kLowLabel), {Page::kReportingLevel, ControlKind::kSlider, true}, Label(kHighLabel)}}}},
             {kFilterGroup,
              {{{Check(Page::kShowInfo)}},
               {{Check(Page::kShowWarnings)}},
               {{Check(Page::kShowProgramErrors)}},
               {{Check(Page::kShowTagErrors)}},
               {{Check(Page::kShowUrls)}}}}}};
}

WindowDescription PolicyLayout() {
    using Page = SettingsPolicyPage;
    return {kSettingsPolicyPageDialogId,
            {{kDefaultPolicyGroup,
              {{{Check(Page::kUseDefault)}},
               {{Path(Page::kFile), Button(Page::kBrowse)}},
               {{Check(Page::kAlwaysReload)}}}}}};
}

WindowDescription ViewerLayout() {
    using Page = SettingsViewerPage;
    return {kSettingsViewerPageDialogId,
            {{kNoControl,
              {{{Label(kBrowserLabel)}},
               {{Path(Page::kBrowserCommand), Button(Page::kBrowseBrowser)}},
               {{Label(kRtfLabel)}},
               {{Path(Page::kRtfCommand), Button(Page::kBrowseRtf)}},
               {{Check(Page::kAutoView)}},
               {{Check(Page::kUseDde)}},
               {{Label(Page::kServiceLabel), {Page::kServiceList, ControlKind::kList, true, kServiceLines}}},
               {{Path(Page::kOtherService)}},
               {{Check(Page::kUrlPrefix)}}}}}};
}

}  // namespace

const SheetDescription& SettingsSheetLayout() {
    // In the sheet's tab order.
    static const SheetDescription layout{
        SheetFrameDescription(kSettingsSheetDialogId),
        {DocoLayout(), DragLayout(), MessagesLayout(), PolicyLayout(), ViewerLayout()}};
    return layout;
}
