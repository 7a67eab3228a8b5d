// How the main dialog's menu is relabelled in the user-interface language:
// where its drop-down menus sit and which menu-text slot labels which entry.
//
// The menu layer walks these tables and nothing else:
//   1. Take the menu bar, then the drop-downs of kMainMenuDropDowns in their
//      order (a parent comes before the drop-downs inside it), each at its
//      position in its parent; all handles are taken before anything
//      changes.  A drop-down that is missing, or whose parent is missing,
//      is skipped with all its entries.
//   2. Relabel each entry of kMainMenuLabels in order in the drop-down (or
//      the menu bar) it names: by position for the titles of drop-downs, by
//      command id for the items; an entry that is not found is skipped.
//      The menu-bar titles come first; once they are relabelled, the title
//      at kRightJustifiedTitlePosition is flagged to stand at the right edge
//      of the menu bar.
// Entries this table does not name (among them the items of the other-
// products drop-down) keep the texts of the menu itself.
#pragma once

#include "texts/main_menu_commands.h"
#include "texts/menu_slots.h"

// The menu bar and the drop-downs whose entries are relabelled.
enum class MainMenuPart {
    kMenuBar,
    kFile,
    kConversionOptions,
    kAnalysisPolicies,
    kOutputPolicies,
    kSettings,
    kLanguage,
    kView,
    kHelp,
    kHtmlDocumentation,
    kUpdates,
};
inline constexpr int kMainMenuPartCount = 11;

// Where the drop-downs sit.  Positions count every entry of a menu,
// separators included.
// In the menu bar:
inline constexpr int kFileMenuPosition = 0;
inline constexpr int kConversionOptionsMenuPosition = 1;
inline constexpr int kSettingsMenuPosition = 2;
inline constexpr int kLanguageMenuPosition = 3;
inline constexpr int kViewMenuPosition = 4;
inline constexpr int kHelpMenuPosition = 5;
inline constexpr int kUpdatesMenuPosition = 6;
// In Conversion options, with a separator between the two:
inline constexpr int kAnalysisPoliciesMenuPosition = 0;
inline constexpr int kOutputPoliciesMenuPosition = 2;
// In Help, with a separator between the two:
inline constexpr int kHtmlDocumentationMenuPosition = 4;
inline constexpr int kOtherProductsMenuPosition = 6;

// The menu-bar title that stands at the right edge of the menu bar.
inline constexpr int kRightJustifiedTitlePosition = kUpdatesMenuPosition;

struct MenuDropDownPlace {
    MainMenuPart dropDown;
    MainMenuPart parent;
    int position;
};

inline constexpr MenuDropDownPlace kMainMenuDropDowns[] = {
    {MainMenuPart::kFile, MainMenuPart::kMenuBar, kFileMenuPosition},
    {MainMenuPart::kConversionOptions, MainMenuPart::kMenuBar, kConversionOptionsMenuPosition},
    {MainMenuPart::kSettings, MainMenuPart::kMenuBar, kSettingsMenuPosition},
    {MainMenuPart::kLanguage, MainMenuPart::kMenuBar, kLanguageMenuPosition},
    {MainMenuPart::kView, MainMenuPart::kMenuBar, kViewMenuPosition},
    {MainMenuPart::kHelp, MainMenuPart::kMenuBar, kHelpMenuPosition},
    {MainMenuPart::kUpdates, MainMenuPart::kMenuBar, kUpdatesMenuPosition},
    {MainMenuPart::kAnalysisPolicies, MainMenuPart::kConversionOptions, kAnalysisPoliciesMenuPosition},
    {MainMenuPart::kOutputPolicies, MainMenuPart::kConversionOptions, kOutputPoliciesMenuPosition},
    {MainMenuPart::kHtmlDocumentation, MainMenuPart::kHelp, kHtmlDocumentationMenuPosition},
};

enum class MenuItemLookup { kByPosition, kByCommand };

struct MenuItemLabel {
    MainMenuPart menu;  // the menu bar or the drop-down holding the entry
    MenuItemLookup lookup;
    int item;  // the entry's position or its command id
    MenuSlot slot;
};

inline constexpr MenuItemLabel kMainMenuLabels[] = {
    // The menu-bar titles.
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kFileMenuPosition, kMenuFileTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kConversionOptionsMenuPosition,
     kMenuConversionOptionsTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kSettingsMenuPosition, kMenuSettingsTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kLanguageMenuPosition, kMenuLanguageTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kViewMenuPosition, kMenuViewTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kHelpMenuPosition, kMenuHelpTitle},
    {MainMenuPart::kMenuBar, MenuItemLookup::kByPosition, kUpdatesMenuPosition, kMenuUpdatesTitle},
    // File drop-down.
    {MainMenuPart::kFile, MenuItemLookup::kByCommand, kCommandConvert, kMenuConvert},
    {MainMenuPart::kFile, MenuItemLookup::kByCommand, kCommandLoadPolicyFile, kMenuLoadPolicyFile},
    {MainMenuPart::kFile, MenuItemLookup::kByCommand, kCommandSavePolicyFile, kMenuSavePolicies},
    {MainMenuPart::kFile, MenuItemLookup::kByCommand, kCommandExit, kMenuExit},
    // Conversion-options drop-down.
    {MainMenuPart::kConversionOptions, MenuItemLookup::kByPosition, kAnalysisPoliciesMenuPosition,
     kMenuAnalysisPoliciesTitle},
    {MainMenuPart::kConversionOptions, MenuItemLookup::kByPosition, kOutputPoliciesMenuPosition,
     kMenuOutputPoliciesTitle},
    {MainMenuPart::kConversionOptions, MenuItemLookup::kByCommand, kCommandReanalyse, kMenuReanalyse},
    {MainMenuPart::kConversionOptions, MenuItemLookup::kByCommand, kCommandResetToDefaults, kMenuResetToDefaults},
    // Analysis-policies drop-down.
    {MainMenuPart::kAnalysisPolicies, MenuItemLookup::kByCommand, kCommandAnalysisFileStructure,
     kMenuAnalysisFileStructure},
    {MainMenuPart::kAnalysisPolicies, MenuItemLookup::kByCommand, kCommandAnalysisTables, kMenuAnalysisTables},
    // Output-policies drop-down.
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputTitleAndDescription,
     kMenuOutputTitleAndDescription},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputTables, kMenuOutputTables},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputColours, kMenuOutputColours},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputHyperlinks, kMenuOutputHyperlinks},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputFonts, kMenuOutputFonts},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputDocumentSettings,
     kMenuOutputDocumentProperties},
    {MainMenuPart::kOutputPolicies, MenuItemLookup::kByCommand, kCommandOutputRtfSettings, kMenuOutputRtfSettings},
    // Settings drop-down.
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandSettingsDocumentation, kMenuSettingsDocumentation},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandSettingsDiagnostics, kMenuSettingsDiagnostics},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandSettingsDragAndDrop, kMenuSettingsDragAndDrop},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandSettingsViewers, kMenuSettingsViewers},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandSettingsPolicyFiles, kMenuSettingsPolicyFiles},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandShowToolTips, kMenuShowToolTips},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandShowStatusDialog, kMenuShowStatusDialog},
    {MainMenuPart::kSettings, MenuItemLookup::kByCommand, kCommandAutoViewResults, kMenuAutoViewResults},
    // Language drop-down.
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageEnglish, kMenuEnglish},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageGerman, kMenuGerman},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageFrench, kMenuFrench},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageItalian, kMenuItalian},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageSpanish, kMenuSpanish},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageSwedish, kMenuSwedish},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguagePortuguese, kMenuPortuguese},
    {MainMenuPart::kLanguage, MenuItemLookup::kByCommand, kCommandLanguageOther, kMenuOtherLanguage},
    // View drop-down.
    {MainMenuPart::kView, MenuItemLookup::kByCommand, kCommandViewMessages, kMenuViewMessages},
    {MainMenuPart::kView, MenuItemLookup::kByCommand, kCommandViewResults, kMenuViewResults},
    // Help drop-down.
    {MainMenuPart::kHelp, MenuItemLookup::kByCommand, kCommandHelpContents, kMenuHelpContents},
    {MainMenuPart::kHelp, MenuItemLookup::kByPosition, kHtmlDocumentationMenuPosition, kMenuHtmlDocumentationTitle},
    {MainMenuPart::kHelp, MenuItemLookup::kByPosition, kOtherProductsMenuPosition, kMenuOtherProductsTitle},
    {MainMenuPart::kHelp, MenuItemLookup::kByCommand, kCommandAbout, kMenuAbout},
    // HTML-documentation drop-down.
    {MainMenuPart::kHtmlDocumentation, MenuItemLookup::kByCommand, kCommandLocalDocumentation,
     kMenuLocalDocumentation},
    {MainMenuPart::kHtmlDocumentation, MenuItemLookup::kByCommand, kCommandWebDocumentation, kMenuWebDocumentation},
    // Updates drop-down.
    {MainMenuPart::kUpdates, MenuItemLookup::kByCommand, kCommandCheckForUpdates, kMenuCheckForUpdates},
};
