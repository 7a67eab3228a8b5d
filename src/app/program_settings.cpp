#include "app/program_settings.h"

#include <cstring>
#include <iterator>
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
        return DefaultAnswer(buttons, defaultButton);
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

// The booleans and the history lists, each in the order they are read and
// saved.
struct BoolSetting {
    const char* name;
    bool ProgramSettings::*field;
};

constexpr BoolSetting kBoolSettings[] = {
    {"\\DefaultPolicy\\AlwaysReload", &ProgramSettings::alwaysReload},
    {"\\UseDDEToViewHTML", &ProgramSettings::useDdeToViewHtml},
    {"\\AddURLPrefix", &ProgramSettings::addUrlPrefix},
    {"\\AutoDDEUpdates", &ProgramSettings::autoDdeUpdates},
    {"\\DefaultPolicy\\Used", &ProgramSettings::defaultPolicyUsed},
    {"\\DragAndDrop\\ViewResults", &ProgramSettings::viewResults},
    {"\\DragAndDrop\\ViewStatusWindow", &ProgramSettings::viewStatusWindow},
    {"\\DragAndDrop\\StartProgram", &ProgramSettings::startProgram},
    {"\\Dialogs\\AutoDismissStatusDialog", &ProgramSettings::autoDismissStatusDialog},
    {"\\Dialogs\\DisplayToolTips", &ProgramSettings::displayToolTips},
    {"\\Dialogs\\DisplayStatusDialog", &ProgramSettings::displayStatusDialog},
    {"\\Languages\\UseLanguageFile", &ProgramSettings::useLanguageFile},
    {"\\Languages\\SelectedLanguage", &ProgramSettings::selectedLanguage},
};

struct HistorySetting {
    const char* key;
    TextString (ProgramSettings::*list)[kHistoryCount];
};

constexpr HistorySetting kHistorySettings[] = {
    {"\\Policy", &ProgramSettings::policyHistory},         {"\\Files", &ProgramSettings::filesHistory},
    {"\\OutDir", &ProgramSettings::outDirHistory},         {"\\HTMLFragment", &ProgramSettings::htmlFragmentHistory},
    {"\\BGImage", &ProgramSettings::bgImageHistory},       {"\\ShortcutIcon", &ProgramSettings::shortcutIconHistory},
    {"\\InDir", &ProgramSettings::inDirHistory},           {"\\HTMLHeader", &ProgramSettings::htmlHeaderHistory},
    {"\\HTMLFooter", &ProgramSettings::htmlFooterHistory}, {"\\HTMLScript", &ProgramSettings::htmlScriptHistory},
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
    for (const HistorySetting& history : kHistorySettings)
        for (TextString& entry : this->*history.list) entry.MakeEmpty();
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

bool ProgramSettings::LoadSettings(UiServices* services) {
    ResetToBuiltInDefaults();
    // A file that cannot be read leaves the defaults (the store has said so).
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
    for (const BoolSetting& setting : kBoolSettings) ReadBool(setting.name, this->*setting.field);
    ReadRegistryInt(store_, "\\Options\\ConversionType", conversionType);
    ReadRegistryInt(store_, "\\Options\\OutputType", outputType);
    for (const HistorySetting& history : kHistorySettings)
        LoadHistoryList(store_, history.key, kHistoryCount, this->*history.list);
    saved_ = SettingTexts();
    return true;
}

std::vector<ProgramSettings::SettingText> ProgramSettings::SettingTexts() const {
    std::vector<SettingText> texts;
    auto text = [&](const char* name, const TextString& value) { texts.push_back({name, value.str(), -1}); };
    text("\\CurrentDir", currentDir);
    text("\\DDEServerName", ddeServerName);
    text("\\DDEWorking", ddeWorking);
    text("\\BrowserCommand", browserCommand);
    text("\\ViewRTFCommand", viewRtfCommand);
    text("\\ViewTextCommand", viewTextCommand);
    text("\\HTMLDoco", htmlDoco);
    text("\\DefaultPolicy\\File", defaultPolicyFile);
    text("\\Languages\\Language", language);
    text("\\Languages\\LanguageFile", languageFile);
    for (int i = 0; i < kWindowPositionCount; ++i)
        texts.push_back({kWindowPositionNames[i], std::to_string(windowPositions[i]), -1});
    for (const BoolSetting& setting : kBoolSettings)
        texts.push_back({setting.name, this->*setting.field ? "Yes" : "No", -1});
    texts.push_back({"\\Options\\ConversionType", std::to_string(conversionType), -1});
    texts.push_back({"\\Options\\OutputType", std::to_string(outputType), -1});
    for (int list = 0; list < static_cast<int>(std::size(kHistorySettings)); ++list) {
        const HistorySetting& history = kHistorySettings[list];
        for (int i = 0; i < kHistoryCount; ++i)
            texts.push_back({HistoryEntryName(history.key, i), (this->*history.list)[i].str(), list});
    }
    return texts;
}

bool ProgramSettings::SaveSettings() {
    std::vector<SettingText> texts = SettingTexts();
    // A history list is one setting: changed when any entry is.
    std::vector<bool> listChanged(std::size(kHistorySettings), false);
    auto changed = [&](size_t i) { return i >= saved_.size() || texts[i].text != saved_[i].text; };
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].list >= 0 && changed(i)) listChanged[static_cast<size_t>(texts[i].list)] = true;
    for (size_t i = 0; i < texts.size(); ++i) {
        const SettingText& setting = texts[i];
        if (changed(i) || (setting.list >= 0 && listChanged[static_cast<size_t>(setting.list)]))
            WriteRegistryText(store_, setting.name.c_str(), setting.text.c_str());
        else
            store_.OfferText(setting.name.c_str(), setting.text.c_str());
    }
    if (!store_.Save()) return false;
    saved_ = std::move(texts);
    return true;
}
