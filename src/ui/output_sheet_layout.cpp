#include "ui/output_sheet_layout.h"

#include "texts/dialog_ids.h"
#include "ui/more_html_options_dialog.h"
#include "ui/output_pages.h"

namespace {

// The controls' own ids that the pages name only where they make them.
// Added HTML.
constexpr int kTitleGroup = 1296;
constexpr int kTitleLabel = 1356;
constexpr int kDescriptionLabel = 1357;
constexpr int kKeywordsLabel = 1358;
constexpr int kBackgroundImageLabel = 1359;
constexpr int kShortcutIconLabel = 1363;
constexpr int kIncludeGroup = 1402;
constexpr int kHeaderLabel = 1360;
constexpr int kFooterLabel = 1361;
constexpr int kScriptLabel = 1362;
// Document colours.
constexpr int kColoursGroup = 1419;
constexpr int kColourLabels[] = {1369, 1370, 1371, 1372, 1373};
// Fonts.
constexpr int kImplementationGroup = 1521;
constexpr int kFontLabels[] = {1377, 1378, 1379, 1380, 1381};
constexpr int kSizesGroup = 1498;
constexpr int kBaseFontLabel = 1375;
constexpr int kDeltaFontLabel = 1376;
constexpr int kStyleFileLabel = 1602;
constexpr int kStyleFileBrowse = 1604;
// Hyperlinks.
constexpr int kAddLinksGroup = 1412;
constexpr int kHierarchiesLabel = 1059;
constexpr int kCrossRefGroup = 1234;
constexpr int kCrossRefLevelLabel = 1060;
constexpr int kBrowserGroup = 1293;
constexpr int kWindowNameLabel = 1312;
// RTF document details: each field's label.
constexpr int kDetailLabels[] = {1443, 1297, 1298, 1299, 1300, 1306, 1307, 1308};
// RTF settings.
constexpr int kLanguageLabel = 1466;
constexpr int kPaperLabel = 1483;
constexpr int kOrientationGroup = 1470;
constexpr int kMarginsGroup = 1471;
constexpr int kMarginLabels[] = {1479, 1480, 1481, 1482};
constexpr int kCharsetLabel = 1601;
// More HTML options.
constexpr int kHtmlOptionsGroup = 1584;
constexpr int kBaseUrlLabel = 1581;
constexpr int kFragmentsGroup = 1525;
constexpr int kFragmentsLabel = 1363;
constexpr int kEncodingGroup = 1599;

// A field's least width, in average characters.
constexpr int kFieldChars = 30;
constexpr int kNumberChars = 8;
constexpr int kColourChars = 10;
constexpr int kSwatchChars = 6;
// The language and paper lists show this many entries.
constexpr int kListLines = 4;

LayoutControl Label(int id) { return {id, ControlKind::kLabel}; }
LayoutControl Field(int id, ControlKind kind = ControlKind::kEdit, int widthChars = kFieldChars) {
    return {id, kind, true, 1, widthChars};
}
LayoutControl Number(int id) { return {id, ControlKind::kEdit, false, 1, kNumberChars}; }
LayoutControl Button(int id) { return {id, ControlKind::kPushButton}; }
LayoutControl Check(int id) { return {id, ControlKind::kCheckBox}; }
LayoutControl Radio(int id) { return {id, ControlKind::kRadioButton}; }
LayoutControl List(int id, int lines = kListLines) { return {id, ControlKind::kList, true, lines}; }

// A colour field: its label, the text, the swatch painted in it and the
// button of the colour picker.
LayoutRow ColourRow(int labelId, int fieldId, int swatchId, int buttonId) {
    return {{Label(labelId),
             {fieldId, ControlKind::kEdit, false, 1, kColourChars},
             {swatchId, ControlKind::kColourSwatch, false, 1, kSwatchChars},
             Button(buttonId)}};
}

WindowDescription AddedHtmlLayout() {
    using Page = AddedHTMLPage;
    return {
        kAddedHTMLPageDialogId,
        {{kTitleGroup,
          {{{Check(Page::kUseFirstHeading), Check(Page::kUseFirstLine)}},
           {{Label(kTitleLabel), Field(Page::kTitle)}},
           {{Label(kDescriptionLabel), Field(Page::kDescription)}},
           {{Label(kKeywordsLabel), Field(Page::kKeywords)}},
           {{Label(kBackgroundImageLabel), Field(Page::kBackgroundImage, ControlKind::kComboBox),
             Button(Page::kBrowseBackground)}},
           {{Label(kShortcutIconLabel), Field(Page::kShortcutIcon, ControlKind::kComboBox),
             Button(Page::kBrowseIcon)}}}},
         {kIncludeGroup,
          {{{Label(kHeaderLabel), Field(Page::kHeaderFile, ControlKind::kComboBox), Button(Page::kBrowseHeader)}},
           {{Label(kFooterLabel), Field(Page::kFooterFile, ControlKind::kComboBox), Button(Page::kBrowseFooter)}},
           {{Label(kScriptLabel), Field(Page::kScriptFile, ControlKind::kComboBox), Button(Page::kBrowseScript)}}}},
         {kNoControl, {{{Button(Page::kAdvancedOptions)}, true}}}}};
}

WindowDescription ColoursLayout() {
    using Page = ColoursPage;
    LayoutGroup colours{kColoursGroup, {}};
    const int fields[] = {Page::kBackground, Page::kText, Page::kLink, Page::kVisitedLink, Page::kActiveLink};
    const int swatches[] = {Page::kBackgroundSwatch, Page::kTextSwatch, Page::kLinkSwatch, Page::kVisitedSwatch,
                            Page::kActiveSwatch};
    for (int i = 0; i < 5; ++i) {
        colours.rows.push_back(ColourRow(kColourLabels[i], fields[i], swatches[i], Page::kFirstButton + i));
    }
    return {kColoursPageDialogId, {{kNoControl, {{{Check(Page::kSuppressColours)}}}}, colours}};
}

WindowDescription FontsLayout() {
    using Page = FontPage;
    LayoutGroup fonts{kNoControl, {}};
    const int fields[] = {Page::kBodyFont, Page::kHeadingFont, Page::kTableFont, Page::kFixedFont,
                          Page::kContentsFont};
    for (int i = 0; i < 5; ++i) {
        // A font's text comes from the font chooser ("...") and from loads.
        LayoutControl font = Field(fields[i]);
        font.readOnly = true;
        fonts.rows.push_back({{Label(kFontLabels[i]), font, Button(Page::kFirstFontButton + i)}});
    }
    return {
        kFontPageDialogId,
        {{kImplementationGroup, {{{Radio(Page::kUseCss)}}, {{Radio(Page::kUseFontTags)}}}},
         fonts,
         {kSizesGroup,
          {{{Label(kBaseFontLabel), Field(Page::kBaseFontSize, ControlKind::kComboBox, kNumberChars),
             Label(kDeltaFontLabel), Number(Page::kDeltaFontSize)}},
           {{Label(kStyleFileLabel), Field(Page::kStyleFile, ControlKind::kComboBox), Button(kStyleFileBrowse)}}}}}};
}

WindowDescription HyperlinksLayout() {
    using Page = HyperlinksPage;
    return {kHyperlinksPageDialogId,
            {{kAddLinksGroup,
              {{{Check(Page::kCreateHyperlinks), Check(Page::kCheckDomainSyntax)}},
               {{Check(Page::kFtpLinks), Check(Page::kWeakFtpLinks)}},
               {{Check(Page::kGopherLinks), Check(Page::kTelnetLinks)}},
               {{Check(Page::kMailtoLinks), Check(Page::kEmailWithNumbers)}},
               {{Check(Page::kNewsLinks), Check(Page::kKnownGroupsOnly)}},
               {{Label(kHierarchiesLabel), Field(Page::kHierarchies)}},
               {{Check(Page::kBreakAfterUrls)}}}},
             {kCrossRefGroup,
              {{{Check(Page::kCrossRefs)}}, {{Label(kCrossRefLevelLabel), Number(Page::kCrossRefLevel)}}}},
             {kBrowserGroup, {{{Check(Page::kNewWindow)}}, {{Label(kWindowNameLabel), Field(Page::kWindowName)}}}}}};
}

WindowDescription RtfDocumentLayout() {
    using Page = RTFDocumentPage;
    LayoutGroup details{kNoControl, {}};
    const int fields[] = {Page::kTitle,   Page::kSubject,  Page::kAuthor,   Page::kManager,
                          Page::kCompany, Page::kCategory, Page::kKeywords, Page::kComments};
    for (int i = 0; i < 8; ++i) details.rows.push_back({{Label(kDetailLabels[i]), Field(fields[i])}});
    return {kRTFDocumentPageDialogId, {details}};
}

WindowDescription RtfSettingsLayout() {
    using Page = RTFSettingsPage;
    const int margins[] = {Page::kTopMargin, Page::kBottomMargin, Page::kLeftMargin, Page::kRightMargin};
    LayoutGroup marginGroup{kMarginsGroup, {}};
    for (int i = 0; i < 4; i += 2) {
        marginGroup.rows.push_back(
            {{Label(kMarginLabels[i]), Number(margins[i]), Label(kMarginLabels[i + 1]), Number(margins[i + 1])}});
    }
    marginGroup.rows.push_back({{Check(Page::kMirrorMargins)}});
    return {kRTFSettingsPageDialogId,
            {{kNoControl,
              {{{Label(kLanguageLabel), List(Page::kLanguage)}}, {{Label(kPaperLabel), List(Page::kPaperSize)}}}},
             {kOrientationGroup, {{{Radio(Page::kPortrait), Radio(Page::kLandscape)}}}},
             marginGroup,
             {kNoControl, {{{Label(kCharsetLabel), Field(Page::kCharset, ControlKind::kComboBox)}}}}}};
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
