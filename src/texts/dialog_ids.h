// Template ids of the program's dialogs and property pages, named after the
// dialog class that uses each, and the control ids of the standard buttons.
#pragma once

inline constexpr int kAboutDialogId = 100;
inline constexpr int kStatusWindowDialogId = 132;
inline constexpr int kAddedHTMLPageDialogId = 137;
inline constexpr int kHyperlinksPageDialogId = 138;
inline constexpr int kPolicyFileDialogId = 144;
inline constexpr int kSavePolicyDialogId = 145;
inline constexpr int kColoursPageDialogId = 151;
inline constexpr int kTablePageDialogId = 153;
inline constexpr int kTabAnalPageDialogId = 163;
inline constexpr int kFontPageDialogId = 173;
inline constexpr int kSettingsDragPageDialogId = 176;
inline constexpr int kSettingsViewerPageDialogId = 177;
inline constexpr int kSettingsPolicyPageDialogId = 178;
inline constexpr int kSettingsDocoPageDialogId = 179;
inline constexpr int kSettingsMessagesPageDialogId = 180;
inline constexpr int kRTFDocumentPageDialogId = 184;
inline constexpr int kFileStructPageDialogId = 187;
inline constexpr int kRTFSettingsPageDialogId = 193;
inline constexpr int kMoreHtmlOptionsDialogId = 200;
inline constexpr int kMainDialogId = 211;
// The property sheets have no template of their own (a sheet is made of its
// pages): ids of this program's choosing, above every template id.
inline constexpr int kOutputSheetDialogId = 2000;
inline constexpr int kAnalysisSheetDialogId = 2001;
inline constexpr int kSettingsSheetDialogId = 2002;

// The standard buttons of dialogs and property sheets.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdHelp = 9;
inline constexpr int kIdApply = 12321;
// The Help command, sent by a button that asks for help like a menu item.
inline constexpr int kIdHelpCommand = 57670;
// The tab control of a property sheet.
inline constexpr int kIdTabControl = 12320;
