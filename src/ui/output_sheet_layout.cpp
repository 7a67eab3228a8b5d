#include "ui/output_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/more_html_options_dialog.h"
#include "ui/output_pages.h"
#include "ui/page_table.h"

namespace {

// The More HTML Options dialog's controls that it names only here.
constexpr int kHtmlOptionsGroup = 1584;
constexpr int kBaseUrlLabel = 1581;
constexpr int kFragmentsGroup = 1525;
constexpr int kFragmentsLabel = 1363;
constexpr int kEncodingGroup = 1599;
constexpr int kCharsetLabel = 1601;

LayoutControl Label(int id) { return {id, ControlKind::kLabel}; }
LayoutControl Field(int id, ControlKind kind = ControlKind::kEdit) {
    return {id, kind, Cell::Field.stretch, Cell::Field.lines, Cell::Field.widthChars};
}
LayoutControl Button(int id) { return {id, ControlKind::kPushButton}; }
LayoutControl Check(int id) { return {id, ControlKind::kCheckBox}; }

WindowDescription AddedHtmlLayout() {
    using Page = AddedHTMLPage;
    return PageLayout(
        kAddedHTMLPageDialogId, Page::Controls(),
        {{Page::kTitleGroup,
          {Line({Page::kUseFirstHeading, Page::kUseFirstLine}), Line({Page::kTitleLabel, Page::kTitle}),
           Line({Page::kDescriptionLabel, Page::kDescription}), Line({Page::kKeywordsLabel, Page::kKeywords}),
           Line({Page::kBackgroundImageLabel, Page::kBackgroundImage, Page::kBrowseBackground}),
           Line({Page::kShortcutIconLabel, Page::kShortcutIcon, Page::kBrowseIcon})}},
         {Page::kIncludeGroup,
          {Line({Page::kHeaderLabel, Page::kHeaderFile, Page::kBrowseHeader}),
           Line({Page::kFooterLabel, Page::kFooterFile, Page::kBrowseFooter}),
           Line({Page::kScriptLabel, Page::kScriptFile, Page::kBrowseScript})}},
         {kNoControl, {Line({Page::kAdvancedOptions}, true)}}});
}

WindowDescription ColoursLayout() {
    using Page = ColoursPage;
    return PageLayout(
        kColoursPageDialogId, Page::Controls(),
        {{kNoControl, {Line({Page::kSuppressColours})}},
         {Page::kColoursGroup,
          {Line({Page::kBackgroundLabel, Page::kBackground, Page::kBackgroundSwatch, Page::kBackgroundButton}),
           Line({Page::kTextLabel, Page::kText, Page::kTextSwatch, Page::kTextButton}),
           Line({Page::kLinkLabel, Page::kLink, Page::kLinkSwatch, Page::kLinkButton}),
           Line({Page::kVisitedLabel, Page::kVisitedLink, Page::kVisitedSwatch, Page::kVisitedButton}),
           Line({Page::kActiveLabel, Page::kActiveLink, Page::kActiveSwatch, Page::kActiveButton})}}});
}

WindowDescription FontsLayout() {
    using Page = FontPage;
    return PageLayout(
        kFontPageDialogId, Page::Controls(),
        {{Page::kImplementationGroup, {Line({Page::kUseCss}), Line({Page::kUseFontTags})}},
         {kNoControl,
          {Line({Page::kBodyLabel, Page::kBodyFont, Page::kBodyButton}),
           Line({Page::kHeadingLabel, Page::kHeadingFont, Page::kHeadingButton}),
           Line({Page::kTableLabel, Page::kTableFont, Page::kTableButton}),
           Line({Page::kFixedLabel, Page::kFixedFont, Page::kFixedButton}),
           Line({Page::kContentsLabel, Page::kContentsFont, Page::kContentsButton})}},
         {Page::kSizesGroup,
          {Line({Page::kBaseFontLabel, Page::kBaseFontSize, Page::kDeltaFontLabel, Page::kDeltaFontSize}),
           Line({Page::kStyleFileLabel, Page::kStyleFile, Page::kStyleFileBrowse})}}});
}

WindowDescription HyperlinksLayout() {
    using Page = HyperlinksPage;
    return PageLayout(
        kHyperlinksPageDialogId, Page::Controls(),
        {{Page::kAddLinksGroup,
          {Line({Page::kCreateHyperlinks, Page::kCheckDomainSyntax}), Line({Page::kFtpLinks, Page::kWeakFtpLinks}),
           Line({Page::kGopherLinks, Page::kTelnetLinks}), Line({Page::kMailtoLinks, Page::kEmailWithNumbers}),
           Line({Page::kNewsLinks, Page::kKnownGroupsOnly}), Line({Page::kHierarchiesLabel, Page::kHierarchies}),
           Line({Page::kBreakAfterUrls})}},
         {Page::kCrossRefGroup, {Line({Page::kCrossRefs}), Line({Page::kCrossRefLevelLabel, Page::kCrossRefLevel})}},
         {Page::kBrowserGroup, {Line({Page::kNewWindow}), Line({Page::kWindowNameLabel, Page::kWindowName})}}});
}

WindowDescription RtfDocumentLayout() {
    using Page = RTFDocumentPage;
    return PageLayout(
        kRTFDocumentPageDialogId, Page::Controls(),
        {{kNoControl,
          {Line({Page::kTitleLabel, Page::kTitle}), Line({Page::kSubjectLabel, Page::kSubject}),
           Line({Page::kAuthorLabel, Page::kAuthor}), Line({Page::kManagerLabel, Page::kManager}),
           Line({Page::kCompanyLabel, Page::kCompany}), Line({Page::kCategoryLabel, Page::kCategory}),
           Line({Page::kKeywordsLabel, Page::kKeywords}), Line({Page::kCommentsLabel, Page::kComments})}}});
}

WindowDescription RtfSettingsLayout() {
    using Page = RTFSettingsPage;
    return PageLayout(
        kRTFSettingsPageDialogId, Page::Controls(),
        {{kNoControl, {Line({Page::kLanguageLabel, Page::kLanguage}), Line({Page::kPaperLabel, Page::kPaperSize})}},
         {Page::kOrientationGroup, {Line({Page::kPortrait, Page::kLandscape})}},
         {Page::kMarginsGroup,
          {Line({Page::kTopLabel, Page::kTopMargin, Page::kBottomLabel, Page::kBottomMargin}),
           Line({Page::kLeftLabel, Page::kLeftMargin, Page::kRightLabel, Page::kRightMargin}),
           Line({Page::kMirrorMargins})}},
         {kNoControl, {Line({Page::kCharsetLabel, Page::kCharset})}}});
}

WindowDescription TableLayout() {
    using Page = TablePage;
    return PageLayout(
        kTablePageDialogId, Page::Controls(),
        {{kNoControl, {Line({Page::kAttemptTables})}},
         {Page::kTableTagGroup,
          {Line({Page::kHeaderRowsLabel, Page::kHeaderRows, Page::kWidthLabel, Page::kTableWidth}),
           Line({Page::kPaddingLabel, Page::kCellPadding, Page::kSpacingLabel, Page::kCellSpacing}),
           Line({Page::kBorderSizeLabel, Page::kBorderSize})}},
         {Page::kTableColoursGroup,
          {Line({Page::kBackgroundLabel, Page::kBackground, Page::kBackgroundSwatch, Page::kBackgroundButton}),
           Line({Page::kBorderColourLabel, Page::kBorderColour, Page::kBorderSwatch, Page::kBorderButton}),
           Line({Page::kColourRows}), Line({Page::kOddLabel, Page::kOddRows, Page::kOddSwatch, Page::kOddButton}),
           Line({Page::kEvenLabel, Page::kEvenRows, Page::kEvenSwatch, Page::kEvenButton})}},
         // The two alignment lists side by side: the page fits a screen 768
         // pixels high.
         {Page::kCellGroup,
          {Line({Page::kTableAlignmentLabel, Page::kTableAlignment, Page::kCellAlignmentLabel,
                 Page::kCellAlignment})}},
         {Page::kCrossRefsGroup, {Line({Page::kConvertXRefs})}}});
}

}  // namespace

const SheetDescription& OutputSheetLayout() {
    // In the sheet's tab order.
    static const SheetDescription layout{SheetFrameDescription(kOutputSheetDialogId),
                                         {AddedHtmlLayout(), ColoursLayout(), FontsLayout(), HyperlinksLayout(),
                                          RtfDocumentLayout(), RtfSettingsLayout(), TableLayout()}};
    return layout;
}

const WindowDescription& MoreHtmlOptionsLayout() {
    using Dialog = MoreHtmlOptionsDialog;
    static const WindowDescription layout{
        kMoreHtmlOptionsDialogId,
        {{kHtmlOptionsGroup,
          {{{Check(Dialog::kOmitHeadAndBody)}},
           {{Check(Dialog::kGeneratorComment)}},
           {{Label(kBaseUrlLabel), Field(Dialog::kBaseUrl)}}}},
         {kFragmentsGroup,
          {{{Label(kFragmentsLabel), Field(Dialog::kFragmentsFile, ControlKind::kComboBox),
             Button(Dialog::kBrowse)}}}},
         {kEncodingGroup, {{{Label(kCharsetLabel), Field(Dialog::kCharset, ControlKind::kComboBox)}}}},
         {kNoControl, {{{Button(kIdOk), Button(kIdCancel)}, true}}}}};
    return layout;
}
