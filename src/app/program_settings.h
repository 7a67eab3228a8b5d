// ProgramSettings: what the program remembers between runs that is not a
// conversion policy: directories, viewer and browser commands, the browser's
// DDE service, the default policy file, the user-interface language, dialog
// positions, batch-mode and status-window behaviour, the chosen conversion
// and output types, and ten-entry histories for the combo boxes.
//
// The settings live in the settings file (SettingsStore), one setting per
// name such as "\DefaultPolicy\File"; booleans are stored as "Yes" and "No",
// integers as decimal text, a history list as ten entries "\Files\MRU00" ..
// "\Files\MRU09".
//
// Several windows and batch runs may be open at once, and the file may be
// edited by hand between them: a save writes only what this program changed
// since it loaded or last saved the settings (a history list whole), merged
// into the file as it is then; every other setting keeps what the file holds.
#pragma once

#include <string>
#include <vector>

#include "foundation/text_string.h"
#include "platform/settings_store.h"

class UiServices;

// Entries of every history list.
constexpr int kHistoryCount = 10;

// The number of saved window positions (x and y of five windows).
constexpr int kWindowPositionCount = 10;

// Where each window's saved position is in ProgramSettings::windowPositions,
// in the order of kWindowPositionNames.
enum WindowPositionIndex : int {
    kMainLeft = 0,
    kMainTop = 1,
    kAnalysisLeft = 2,
    kAnalysisTop = 3,
    kOutputLeft = 4,
    kOutputTop = 5,
    kSettingsLeft = 6,
    kSettingsTop = 7,
    kStatusLeft = 8,
    kStatusTop = 9,
};

// The user-interface language code of a saved language name: "German" 2,
// "Spanish" 3, "French" 4, "Portuguese" 5, "Italian" 6, "Swedish" 7; every
// other name, "English", "Other" and unknown ones alike, is English (1).
int LanguageCodeFromName(const TextString& name);

class ProgramSettings {
public:
    // Settings on the default settings file, or on `storePath` (an empty
    // path also stands for the default file).
    ProgramSettings();
    explicit ProgramSettings(std::string storePath);

    // ---- Fields, in the order of the settings they store ----
    TextString ddeServerName;  // "\DDEServerName"
    TextString ddeWorking;  // "\DDEWorking": "No" while a DDE connection is being tried
    TextString browserCommand;  // "\BrowserCommand"
    TextString viewRtfCommand;  // "\ViewRTFCommand"
    TextString viewTextCommand;  // "\ViewTextCommand"
    TextString htmlDoco;  // "\HTMLDoco"
    TextString defaultPolicyFile;  // "\DefaultPolicy\File"
    bool alwaysReload = false;  // "\DefaultPolicy\AlwaysReload"
    bool useDdeToViewHtml = false;  // "\UseDDEToViewHTML"
    bool addUrlPrefix = true;  // "\AddURLPrefix"
    bool autoDdeUpdates = false;  // "\AutoDDEUpdates": show results after a run in the graphical mode
    bool defaultPolicyUsed = false;  // "\DefaultPolicy\Used"
    bool viewResults = true;  // "\DragAndDrop\ViewResults": show results after a batch run
    bool viewStatusWindow = false;  // "\DragAndDrop\ViewStatusWindow"
    bool startProgram = false;  // "\DragAndDrop\StartProgram"
    bool displayToolTips = true;  // "\Dialogs\DisplayToolTips"
    bool displayStatusDialog = true;  // "\Dialogs\DisplayStatusDialog"
    bool autoDismissStatusDialog = false;  // "\Dialogs\AutoDismissStatusDialog"
    TextString currentDir;  // "\CurrentDir"
    TextString policyHistory[kHistoryCount];  // "\Policy"
    TextString filesHistory[kHistoryCount];  // "\Files"
    TextString outDirHistory[kHistoryCount];  // "\OutDir"
    TextString inDirHistory[kHistoryCount];  // "\InDir"
    TextString bgImageHistory[kHistoryCount];  // "\BGImage"
    TextString shortcutIconHistory[kHistoryCount];  // "\ShortcutIcon"
    TextString htmlFragmentHistory[kHistoryCount];  // "\HTMLFragment"
    TextString htmlHeaderHistory[kHistoryCount];  // "\HTMLHeader"
    TextString htmlFooterHistory[kHistoryCount];  // "\HTMLFooter"
    TextString htmlScriptHistory[kHistoryCount];  // "\HTMLScript"
    TextString language;  // "\Languages\Language"
    bool selectedLanguage = false;  // "\Languages\SelectedLanguage"
    bool useLanguageFile = false;  // "\Languages\UseLanguageFile"
    TextString languageFile;  // "\Languages\LanguageFile"
    int conversionType = 0;  // "\Options\ConversionType"
    int outputType = 0;  // "\Options\OutputType"
    // "\Dialogs\Main\Left", "\Dialogs\Main\Top", then Analysis, Output,
    // Settings and Status; -1 means not saved (default placement).
    int windowPositions[kWindowPositionCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

    // Resets every field to its built-in default and reads the settings
    // file.  When "\BrowserCommand" is missing the browser is detected (the
    // result viewer's FindBrowser, which tells the user through `services`
    // when none is found; null shows nothing) and the DDE defaults follow
    // from its name.  A file that exists and cannot be read leaves every
    // default in place; the store warns once and never saves over it.
    // Always true.
    bool LoadSettings(UiServices* services = nullptr);

    // Saves the settings whose text differs from what was loaded or last
    // saved (a history list with all ten entries when any of them differs)
    // over the file as it is now; a setting the file lacks is added with its
    // value here.  False when nothing could be saved (reported once as a
    // warning by the store).
    bool SaveSettings();

    // The user-interface language code of `language` (LanguageCodeFromName).
    int LanguageCode() const { return LanguageCodeFromName(language); }

    SettingsStore& Store() { return store_; }

    // The setting names of the window positions, in field order.
    static const char* const kWindowPositionNames[kWindowPositionCount];

private:
    // The text of one setting as it is stored.
    struct SettingText {
        std::string name;
        std::string text;
        int list;  // the history list it is an entry of, -1 for none
    };
    // Every setting's text, in the order they are saved.
    std::vector<SettingText> SettingTexts() const;

    void ResetToBuiltInDefaults();
    void ReadBool(const char* name, bool& field) const;

    SettingsStore store_;
    // The settings as loaded or last saved: what a save compares with.
    std::vector<SettingText> saved_;
};
