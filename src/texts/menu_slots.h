// The slots of the menu-text table (GetMenuText) that label the main
// dialog's menu, named by the entry they label.  The English text of each
// slot is given beside it.
#pragma once

enum MenuSlot : int {
    // The menu-bar titles, by position.
    kMenuFileTitle = 10,  // "&File"
    kMenuConversionOptionsTitle = 20,  // "&Conversion options"
    kMenuSettingsTitle = 68,  // "&Settings"
    kMenuLanguageTitle = 80,  // "&Language"
    kMenuViewTitle = 95,  // "&View"
    kMenuHelpTitle = 100,  // "&Help"
    kMenuUpdatesTitle = 125,  // "&Updates"
    // File drop-down.
    kMenuConvert = 11,  // "&Convert"
    kMenuLoadPolicyFile = 12,  // "&Load policy file"
    kMenuSavePolicies = 13,  // "&Save policies to file"
    kMenuExit = 15,  // "E&xit"
    // Conversion-options drop-down.
    kMenuAnalysisPoliciesTitle = 30,  // "&Analysis policies"
    kMenuOutputPoliciesTitle = 40,  // "&Output Policies"
    kMenuReanalyse = 27,  // "Re-anal&yse the file"
    kMenuResetToDefaults = 28,  // "&Reset to defaults"
    // Analysis-policies drop-down.
    kMenuAnalysisFileStructure = 34,  // "&File structure"
    kMenuAnalysisTables = 38,  // "&Tables"
    // Output-policies drop-down.
    kMenuOutputTitleAndDescription = 42,  // "&Title, description etc"
    kMenuOutputTables = 50,  // "T&ables"
    kMenuOutputColours = 43,  // "Document &colours"
    kMenuOutputHyperlinks = 51,  // "H&yperlinks"
    kMenuOutputFonts = 55,  // "F&onts"
    kMenuOutputDocumentProperties = 44,  // "Document &properties"
    kMenuOutputRtfSettings = 45,  // "&RTF Settings"
    // Settings drop-down.
    kMenuSettingsDocumentation = 69,  // "Do&cumentation..."
    kMenuSettingsDiagnostics = 70,  // "Dia&gnostics..."
    kMenuSettingsDragAndDrop = 71,  // "&Drag and drop properties..."
    kMenuSettingsViewers = 72,  // "&Viewers for results files..."
    kMenuSettingsPolicyFiles = 73,  // "Use of &Policy files..."
    kMenuShowToolTips = 75,  // "Show &Tool Tips"
    kMenuShowStatusDialog = 76,  // "Show &Status Dialog"
    kMenuAutoViewResults = 77,  // "&Automatically view results"
    // Language drop-down.
    kMenuEnglish = 81,  // "English"
    kMenuGerman = 84,  // "German"
    kMenuFrench = 87,  // "French"
    kMenuItalian = 85,  // "Italian"
    kMenuSpanish = 82,  // "Spanish"
    kMenuSwedish = 86,  // "Swedish"
    kMenuPortuguese = 83,  // "Portuguese"
    kMenuOtherLanguage = 88,  // "Other..."
    // View drop-down.
    kMenuViewMessages = 96,  // "&Messages from last conversion"
    kMenuViewResults = 97,  // "Results of last &Conversion"
    // Help drop-down.
    kMenuHelpContents = 101,  // "&Contents"
    kMenuHtmlDocumentationTitle = 110,  // "&HTML Documentation"
    kMenuOtherProductsTitle = 115,  // "Other products"
    kMenuAbout = 107,  // "&About"
    // HTML-documentation drop-down.
    kMenuLocalDocumentation = 111,  // "&Local (on your hard disk)"
    kMenuWebDocumentation = 112,  // "On the &web (online)"
    // Updates drop-down.
    kMenuCheckForUpdates = 126,  // "Check for &newer versions"
};
