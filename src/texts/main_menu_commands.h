// The command ids of the main dialog's menu items.
#pragma once

enum MainMenuCommand : int {
    // File.
    kCommandConvert = 32772,
    kCommandLoadPolicyFile = 32779,
    kCommandSavePolicyFile = 32780,
    kCommandExit = 32784,
    // Conversion options: the analysis policies, then the output policies,
    // each opening its sheet on one page.
    kCommandAnalysisFileStructure = 32838,
    kCommandAnalysisTables = 32803,
    kCommandOutputTitleAndDescription = 32821,
    kCommandOutputTables = 32815,
    kCommandOutputColours = 32806,
    kCommandOutputHyperlinks = 32810,
    kCommandOutputFonts = 32807,
    kCommandOutputDocumentSettings = 32828,
    kCommandOutputRtfSettings = 32845,
    kCommandReanalyse = 32789,
    kCommandResetToDefaults = 32781,
    // Settings: pages of the program-settings sheet, then three switches.
    kCommandSettingsDocumentation = 32823,
    kCommandSettingsDragAndDrop = 32796,
    kCommandSettingsDiagnostics = 32824,
    kCommandSettingsViewers = 32782,
    kCommandSettingsPolicyFiles = 32822,
    kCommandShowToolTips = 32853,
    kCommandShowStatusDialog = 32854,
    kCommandAutoViewResults = 32855,
    // Language.
    kCommandLanguageEnglish = 32840,
    kCommandLanguageGerman = 32841,
    kCommandLanguageSpanish = 32842,
    kCommandLanguageFrench = 32849,
    kCommandLanguagePortuguese = 32844,
    kCommandLanguageItalian = 32848,
    kCommandLanguageSwedish = 32852,
    kCommandLanguageOther = 32843,
    // View.
    kCommandViewMessages = 32775,
    kCommandViewResults = 32776,
    // Help, with the HTML-documentation and other-products drop-downs.
    kCommandHelpContents = 32777,
    kCommandLocalDocumentation = 32785,
    kCommandWebDocumentation = 32786,
    kCommandMorvanePage = 32771,
    kCommandPellionPage = 32783,
    kCommandAbout = 32778,
    // Updates.
    kCommandCheckForUpdates = 32850,
};
