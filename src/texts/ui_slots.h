// The slots of the UI-text table (GetUiText) that the program reads by
// number rather than through the per-dialog table, named by what they label.
#pragma once

enum UiSlot : int {
    kUiAboutCaption = 3,  // "About qqqqqqqq"
    kUiHomePageAddress = 8,  // the product's home page
    kUiDocumentationAddress = 10,  // the on-line documentation
    kUiContactEmailAddress = 12,  // the product's contact mail address
    kUiPolicyFileCaption = 217,  // "qqqqqqqq Policy File"

    // Tab labels (a page's caption is its tab label) of the conversion-options
    // sheet, in page order.
    kUiTabAddedHtml = 52,
    kUiTabColours = 269,
    kUiTabFonts = 381,
    kUiTabHyperlinks = 162,
    kUiTabRtfDocumentDetails = 435,
    kUiTabRtfSettings = 445,
    kUiTabTableGeneration = 284,
    // Tab labels of the analysis sheet.
    kUiTabFileStructure = 457,
    kUiTabTableAnalysis = 349,
    // Tab labels of the program-settings sheet.
    kUiTabDocumentation = 417,
    kUiTabDragAndDrop = 390,
    kUiTabMessages = 423,
    kUiTabPolicyFiles = 409,
    kUiTabViewers = 398,

    // Sheet captions.
    kUiAnalysisSheetCaption = 525,  // "Analysis Policies"
    kUiOutputSheetCaption = 526,  // "Output Policies"
    kUiSettingsSheetCaption = 527,  // "Program Settings"
    // The standard buttons of every sheet.
    kUiSheetOk = 528,
    kUiSheetCancel = 529,
    kUiSheetApply = 530,
    kUiSheetHelp = 531,
};
