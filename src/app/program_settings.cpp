#include "app/program_settings.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/result_viewing.h"
#include "app/ui_services.h"
#include "foundation/product_identity.h"

namespace {

// The settings store keeps standard strings; the program's settings are
// texts.  These take and give texts under the store's routine names.
bool ReadRegistryText(const SettingsStore& store, const char* name, TextString& out) {
    std::string text;
    if (!ReadRegistryText(store, name, text)) return false;
    out.AssignChars(text.data(), static_cast<int>(text.size()));
    return true;
}

void LoadHistoryList(const SettingsStore& store, const char* key, int count, TextString* entries) {
    std::vector<std::string> texts(static_cast<size_t>(count));
    LoadHistoryList(store, key, count, texts.data());
    for (int i = 0; i < count; ++i) entries[i].AssignChars(texts[i].data(), static_cast<int>(texts[i].size()));
}

void SaveHistoryList(SettingsStore& store, const char* key, int count, const TextString* entries) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) texts.emplace_back(entries[i].buffer != nullptr ? entries[i].buffer : "");
    SaveHistoryList(store, key, count, texts.data());
}

// The settings file of the running product.
std::string ProductSettingsPath() {
    TextString name, shortVersion, fullVersion;
    GetProductInfo(name, shortVersion, fullVersion);
    return SettingsStore::DefaultPath(name.buffer);
}

// Message boxes of a browser detection that nobody is to see.
class SilentUiServices : public ConsoleUiServices {
public:
    MessageAnswer ShowMessage(const char*, const char*, MessageButtons buttons, MessageIcon,
                              int defaultButton) override {
        if (buttons == MessageButtons::kYesNo) return defaultButton == 2 ? MessageAnswer::kNo : MessageAnswer::kYes;
        return MessageAnswer::kOk;
    }
    bool ChooseFile(bool, const char*, const char*, TextString&) override { return false; }
    bool ChooseFolder(const char*, TextString&) override { return false; }
};

// Defaults that follow from the detected browser's program name; the first
// name the command contains decides.
struct BrowserDefaults {
    const char* program;
    bool useDde;
    bool autoView;
    const char* service;
};

constexpr BrowserDefaults kKnownBrowsers[] = {
    {"iexplore.exe", true, true, "IExplore"},
    {"netscape.exe", true, true, "NETSCAPE"},
    {"netscp6.exe", false, false, "Mozilla"},
    {"opera.exe", true, true, "Opera"},
};

constexpr const char* kDefaultDdeService = "IExplore";

struct LanguageName {
    const char* name;
    int code;
};

constexpr LanguageName kLanguageNames[] = {
    {"German", 2}, {"Spanish", 3}, {"French", 4}, {"Portuguese", 5}, {"Italian", 6}, {"Swedish", 7},
};

}  // namespace

// clang-format off
const char* const ProgramSettings::kWindowPositionNames[kWindowPositionCount] = {
    "\\Dialogs\\Main\\Left",     "\\Dialogs\\Main\\Top",     "\\Dialogs\\Analysis\\Left", "\\Dialogs\\Analysis\\Top",
    "\\Dialogs\\Output\\Left",   "\\Dialogs\\Output\\Top",   "\\Dialogs\\Settings\\Left", "\\Dialogs\\Settings\\Top",
    "\\Dialogs\\Status\\Left",   "\\Dialogs\\Status\\Top",
};
// clang-format on

// "Other" (the menu's choice of a language the program has no texts for)
// and unknown names get English rather than no texts at all.
int LanguageCodeFromName(const TextString& name) {
    for (const LanguageName& entry : kLanguageNames) {
        if (std::strcmp(name.buffer, entry.name) == 0) return entry.code;
    }
    return 1;
}

ProgramSettings::ProgramSettings() : store_(ProductSettingsPath()) { ResetToBuiltInDefaults(); }

ProgramSettings::ProgramSettings(std::string storePath)
    : store_(storePath.empty() ? ProductSettingsPath() : std::move(storePath)) {
    ResetToBuiltInDefaults();
}

void ProgramSettings::ResetToBuiltInDefaults() {
    ddeServerName = kDefaultDdeService;
    ddeWorking = "Yes";
    browserCommand.MakeEmpty();
    viewRtfCommand.MakeEmpty();
    viewTextCommand.MakeEmpty();
    htmlDoco.MakeEmpty();
    defaultPolicyFile.MakeEmpty();
    alwaysReload = false;
    useDdeToViewHtml = false;
    addUrlPrefix = true;
    autoDdeUpdates = false;
    defaultPolicyUsed = false;
    viewResults = true;
    viewStatusWindow = false;
    startProgram = false;
    displayToolTips = true;
    displayStatusDialog = true;
    autoDismissStatusDialog = false;
    currentDir.MakeEmpty();
    for (TextString* list :
         {policyHistory, filesHistory, outDirHistory, inDirHistory, bgImageHistory, shortcutIconHistory,
          htmlFragmentHistory, htmlHeaderHistory, htmlFooterHistory, htmlScriptHistory}) {
        for (int i = 0; i < kHistoryCount; ++i) list[i].MakeEmpty();
    }
    language = "English";
    selectedLanguage = false;
    useLanguageFile = false;
    languageFile.MakeEmpty();
    conversionType = 0;
    outputType = 0;
    for (int& position : windowPositions) position = -1;
}

// Only "Yes" and "No", written exactly so, change a boolean.
void ProgramSettings::ReadBool(const char* name, bool& field) const {
    TextString text;
    if (!ReadRegistryText(store_, name, text)) return;
    if (std::strcmp(text.buffer, "Yes") == 0)
        field = true;
    else if (std::strcmp(text.buffer, "No") == 0)
        field = false;
}

void ProgramSettings::WriteBool(const char* name, bool value) {
    WriteRegistryText(store_, name, value ? "Yes" : "No");
}

bool ProgramSettings::LoadSettings(UiServices* services) {
    ResetToBuiltInDefaults();
    store_.Load();

    ReadRegistryText(store_, "\\CurrentDir", currentDir);
    if (!ReadRegistryText(store_, "\\BrowserCommand", browserCommand)) {
        // A first start: take the desktop's browser and derive the DDE
        // defaults from its program name.
        SilentUiServices silent;
        ResultViewer viewer(*this, services != nullptr ? *services : silent);
        viewer.FindBrowser(browserCommand);
        TextString lowered(browserCommand);
        for (int i = 0; i < lowered.length; ++i) lowered.buffer[i] = ToLowerAscii(lowered.buffer[i]);
        for (const BrowserDefaults& known : kKnownBrowsers) {
            if (std::strstr(lowered.buffer, known.program) != nullptr) {
                useDdeToViewHtml = known.useDde;
                autoDdeUpdates = known.autoView;
                ddeServerName = known.service;
                break;
            }
        }
    }
    ReadRegistryText(store_, "\\DDEServerName", ddeServerName);
    ReadRegistryText(store_, "\\DDEWorking", ddeWorking);
    ReadRegistryText(store_, "\\ViewRTFCommand", viewRtfCommand);
    ReadRegistryText(store_, "\\ViewTextCommand", viewTextCommand);
    ReadRegistryText(store_, "\\HTMLDoco", htmlDoco);
    ReadRegistryText(store_, "\\DefaultPolicy\\File", defaultPolicyFile);
    ReadRegistryText(store_, "\\Languages\\Language", language);
    ReadRegistryText(store_, "\\Languages\\LanguageFile", languageFile);
    for (int i = 0; i < kWindowPositionCount; ++i)
        ReadRegistryInt(store_, kWindowPositionNames[i], windowPositions[i]);
    ReadBool("\\DefaultPolicy\\AlwaysReload", alwaysReload);
    ReadBool("\\UseDDEToViewHTML", useDdeToViewHtml);
    ReadBool("\\AddURLPrefix", addUrlPrefix);
    ReadBool("\\AutoDDEUpdates", autoDdeUpdates);
    ReadBool("\\DefaultPolicy\\Used", defaultPolicyUsed);
    ReadBool("\\DragAndDrop\\ViewResults", viewResults);
    ReadBool("\\DragAndDrop\\ViewStatusWindow", viewStatusWindow);
    ReadBool("\\DragAndDrop\\StartProgram", startProgram);
    ReadBool("\\Dialogs\\AutoDismissStatusDialog", autoDismissStatusDialog);
    ReadBool("\\Dialogs\\DisplayToolTips", displayToolTips);
    ReadBool("\\Dialogs\\DisplayStatusDialog", displayStatusDialog);
    ReadBool("\\Languages\\UseLanguageFile", useLanguageFile);
    ReadBool("\\Languages\\SelectedLanguage", selectedLanguage);
    ReadRegistryInt(store_, "\\Options\\ConversionType", conversionType);
    ReadRegistryInt(store_, "\\Options\\OutputType", outputType);
    LoadHistoryList(store_, "\\Policy", kHistoryCount, policyHistory);
    LoadHistoryList(store_, "\\Files", kHistoryCount, filesHistory);
    LoadHistoryList(store_, "\\OutDir", kHistoryCount, outDirHistory);
    LoadHistoryList(store_, "\\HTMLFragment", kHistoryCount, htmlFragmentHistory);
    LoadHistoryList(store_, "\\BGImage", kHistoryCount, bgImageHistory);
    LoadHistoryList(store_, "\\ShortcutIcon", kHistoryCount, shortcutIconHistory);
    LoadHistoryList(store_, "\\InDir", kHistoryCount, inDirHistory);
    LoadHistoryList(store_, "\\HTMLHeader", kHistoryCount, htmlHeaderHistory);
    LoadHistoryList(store_, "\\HTMLFooter", kHistoryCount, htmlFooterHistory);
    LoadHistoryList(store_, "\\HTMLScript", kHistoryCount, htmlScriptHistory);
    return true;
}

bool ProgramSettings::SaveSettings() {
    WriteRegistryText(store_, "\\CurrentDir", currentDir.buffer);
    WriteRegistryText(store_, "\\DDEServerName", ddeServerName.buffer);
    WriteRegistryText(store_, "\\DDEWorking", ddeWorking.buffer);
    WriteRegistryText(store_, "\\BrowserCommand", browserCommand.buffer);
    WriteRegistryText(store_, "\\ViewRTFCommand", viewRtfCommand.buffer);
    WriteRegistryText(store_, "\\ViewTextCommand", viewTextCommand.buffer);
    WriteRegistryText(store_, "\\HTMLDoco", htmlDoco.buffer);
    WriteRegistryText(store_, "\\DefaultPolicy\\File", defaultPolicyFile.buffer);
    WriteRegistryText(store_, "\\Languages\\Language", language.buffer);
    WriteRegistryText(store_, "\\Languages\\LanguageFile", languageFile.buffer);
    for (int i = 0; i < kWindowPositionCount; ++i)
        WriteRegistryInt(store_, kWindowPositionNames[i], windowPositions[i]);
    WriteBool("\\DefaultPolicy\\AlwaysReload", alwaysReload);
    WriteBool("\\UseDDEToViewHTML", useDdeToViewHtml);
    WriteBool("\\AddURLPrefix", addUrlPrefix);
    WriteBool("\\AutoDDEUpdates", autoDdeUpdates);
    WriteBool("\\DefaultPolicy\\Used", defaultPolicyUsed);
    WriteBool("\\DragAndDrop\\ViewResults", viewResults);
    WriteBool("\\DragAndDrop\\ViewStatusWindow", viewStatusWindow);
    WriteBool("\\DragAndDrop\\StartProgram", startProgram);
    WriteBool("\\Dialogs\\AutoDismissStatusDialog", autoDismissStatusDialog);
    WriteBool("\\Dialogs\\DisplayToolTips", displayToolTips);
    WriteBool("\\Dialogs\\DisplayStatusDialog", displayStatusDialog);
    WriteBool("\\Languages\\UseLanguageFile", useLanguageFile);
    WriteBool("\\Languages\\SelectedLanguage", selectedLanguage);
    WriteRegistryInt(store_, "\\Options\\ConversionType", conversionType);
    WriteRegistryInt(store_, "\\Options\\OutputType", outputType);
    SaveHistoryList(store_, "\\Policy", kHistoryCount, policyHistory);
    SaveHistoryList(store_, "\\Files", kHistoryCount, filesHistory);
    SaveHistoryList(store_, "\\OutDir", kHistoryCount, outDirHistory);
    SaveHistoryList(store_, "\\HTMLFragment", kHistoryCount, htmlFragmentHistory);
    SaveHistoryList(store_, "\\BGImage", kHistoryCount, bgImageHistory);
    SaveHistoryList(store_, "\\ShortcutIcon", kHistoryCount, shortcutIconHistory);
    SaveHistoryList(store_, "\\InDir", kHistoryCount, inDirHistory);
    SaveHistoryList(store_, "\\HTMLHeader", kHistoryCount, htmlHeaderHistory);
    SaveHistoryList(store_, "\\HTMLFooter", kHistoryCount, htmlFooterHistory);
    SaveHistoryList(store_, "\\HTMLScript", kHistoryCount, htmlScriptHistory);
    return store_.Save();
}

void ProgramSettings::SaveDdeWorking(const char* value) {
    ddeWorking = value;
    WriteRegistryText(store_, "\\DDEWorking", value);
    store_.Save();
}
