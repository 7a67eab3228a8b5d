#include "ui/settings_pages.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "app/base_dialog.h"
#include "app/result_viewing.h"
#include "texts/dialog_ids.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "ui/base_sheet.h"
#include "ui/data_exchange.h"

namespace {

// The entry of a chooser's filter that shows every file: the last of its
// "Description|patterns|" pairs.
int AllFilesEntry(const char* filter) {
    int bars = 0;
    for (const char* p = filter; *p != '\0'; ++p)
        if (*p == '|') ++bars;
    // Each pair ends in its second bar; a filter may end in one bar more.
    return bars >= 2 ? bars / 2 - 1 : 0;
}

}  // namespace

// ---- SettingsPage ----

SettingsPage::SettingsPage(int templateId, int topicCode, UiServices& services)
    : OptionPage(templateId, topicCode, services) {}

ProgramSettings* SettingsPage::Settings() const { return Owner() == nullptr ? nullptr : &Owner()->settings; }

void SettingsPage::AddSettingControls(std::span<const PageControl> controls) {
    AddControls(controls);
    for (const PageControl& control : controls) {
        if (control.binding.kind == BindingKind::kSettingCheck)
            AddSettingCheck(control.id, control.binding.settingCheck);
        if (control.binding.kind == BindingKind::kSettingText)
            AddSettingText(control.id, control.binding.settingText);
    }
}

bool SettingsPage::IsOn(int controlId) const { return CheckValue(controlId) || OptionPage::IsOn(controlId); }

void SettingsPage::AddSettingCheck(int id, bool ProgramSettings::*field) {
    checks_.push_back({id, field});
    On(id, NotifyEvent::kClicked, [this, id] {
        UpdateData(true);
        SettingChanged(Check(id).changed);
        RefreshEnabling();
    });
}

void SettingsPage::AddSettingText(int id, TextString ProgramSettings::*field) {
    texts_.push_back({id, field, TextString()});
    On(id, NotifyEvent::kFocusLost, [this] { UpdateData(true); });
}

SettingsPage::SettingCheck& SettingsPage::Check(int id) {
    return *std::find_if(checks_.begin(), checks_.end(), [id](const SettingCheck& c) { return c.controlId == id; });
}

SettingsPage::SettingText& SettingsPage::Text(int id) {
    return *std::find_if(texts_.begin(), texts_.end(), [id](const SettingText& t) { return t.controlId == id; });
}

bool SettingsPage::CheckValue(int controlId) const {
    for (const SettingCheck& check : checks_)
        if (check.controlId == controlId) return check.number != 0;
    return false;
}

const TextString& SettingsPage::TextValue(int controlId) const {
    static const TextString kNone;
    for (const SettingText& text : texts_)
        if (text.controlId == controlId) return text.text;
    return kNone;
}

bool SettingsPage::SettingsChanged() const {
    for (const SettingCheck& check : checks_)
        if (check.changed) return true;
    for (const SettingText& text : texts_)
        if (text.changed) return true;
    return OwnChanged();
}

void SettingsPage::LoadValues(const FC&) {
    const ProgramSettings* settings = Settings();
    if (settings == nullptr) return;
    for (SettingCheck& check : checks_)
        if (!check.changed) check.number = settings->*check.field ? 1 : 0;
    for (SettingText& text : texts_)
        if (!text.changed) text.text = settings->*text.field;
    LoadOwn(*settings);
}

void SettingsPage::Store(FC&) {
    ProgramSettings* settings = Settings();
    if (settings == nullptr) return;
    StoreOwn(*settings);
    for (SettingCheck& check : checks_)
        if (check.changed) settings->*check.field = check.number != 0;
    for (SettingText& text : texts_)
        if (text.changed) settings->*text.field = text.text;
    ResetChanged();
}

void SettingsPage::ResetChanged() {
    OptionPage::ResetChanged();
    for (SettingCheck& check : checks_) check.changed = false;
    for (SettingText& text : texts_) text.changed = false;
    ResetOwn();
}

void SettingsPage::SettingChanged(bool& changed) {
    changed = true;
    if (Sheet() != nullptr) Sheet()->SetModified(false);
}

void SettingsPage::TakeSettingText(DataExchange& dx, int id, TextString& member, bool& changed) {
    if (!dx.Saving()) {
        dx.Text(id, member);
        return;
    }
    const TextString before(member);
    dx.Text(id, member);
    if (before.view() != member.view()) SettingChanged(changed);
}

void SettingsPage::ExchangeOwn(DataExchange& dx) {
    for (SettingCheck& check : checks_) dx.Check(check.controlId, check.number);
    for (SettingText& text : texts_) TakeSettingText(dx, text.controlId, text.text, text.changed);
    ExchangeMore(dx);
}

// ---- SettingsDocoPage ----

std::span<const PageControl> SettingsDocoPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/documentation.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

SettingsDocoPage::SettingsDocoPage(UiServices& services)
    : SettingsPage(kSettingsDocoPageDialogId, kTopicDocumentation, services) {
    SetCaption("Documentation");
    AddSettingControls(Controls());
    On(kBrowse, NotifyEvent::kClicked, [this] { Browse(); });
}

void SettingsDocoPage::LoadOwn(const ProgramSettings& settings) {
    SettingText& doco = Text(kDocumentation);
    // Without a setting the page proposes the guide installed with the
    // program.
    if (doco.changed || !settings.htmlDoco.IsEmpty()) return;
    ResultViewer viewer(Owner()->settings, Services(), Owner()->LanguageCode);
    viewer.FindLocalDocumentation(doco.text);
}

void SettingsDocoPage::Browse() {
    UpdateData(true);
    SettingText& doco = Text(kDocumentation);
    TextString path(doco.text);
    if (!Services().ChooseFile(false, "", GetMessageText(kMsgHtmlFilesFilter), path) || path.IsEmpty()) return;
    doco.text = path;
    SetControlText(kDocumentation, path.c_str());
    SettingChanged(doco.changed);
}

// ---- SettingsDragPage ----

std::span<const PageControl> SettingsDragPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/drag_and_drop.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

SettingsDragPage::SettingsDragPage(UiServices& services)
    : SettingsPage(kSettingsDragPageDialogId, kTopicDragAndDrop, services) {
    SetCaption("Drag'n'Drop");
    AddSettingControls(Controls());
}

// ---- SettingsMessagesPage ----

std::span<const PageControl> SettingsMessagesPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/messages.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

SettingsMessagesPage::SettingsMessagesPage(UiServices& services)
    : OptionPage(kSettingsMessagesPageDialogId, kTopicDiagnostics, services) {
    SetCaption("Messages");
    AddControls(Controls());
    SetRange(kReportingLevel, kLowestLevel, kHighestLevel);
    On(kReportingLevel, NotifyEvent::kSliderMoved, [this] { SliderMoved(); });
}

void SettingsMessagesPage::LoadValues(const FC& set) {
    OptionPage::LoadValues(set);
    if (!levelChanged_) level_ = std::clamp(set.GetInt(Pol::ErrorReportingLevel), kLowestLevel, kHighestLevel);
}

void SettingsMessagesPage::Store(FC& set) {
    if (levelChanged_) {
        set.SetInt(Pol::ErrorReportingLevel, level_, true);
        NotifyStored(GetPolicyDefinition(Pol::ErrorReportingLevel).category);
    }
    OptionPage::Store(set);
}

void SettingsMessagesPage::ResetChanged() {
    OptionPage::ResetChanged();
    levelChanged_ = false;
}

void SettingsMessagesPage::SliderMoved() {
    const int position = Value(kReportingLevel);
    if (position == level_) return;
    level_ = position;
    MarkChanged(levelChanged_);
}

void SettingsMessagesPage::ExchangeOwn(DataExchange& dx) {
    const int before = level_;
    dx.Slider(kReportingLevel, level_);
    if (dx.Saving() && level_ != before) MarkChanged(levelChanged_);
}

// ---- SettingsPolicyPage ----

std::span<const PageControl> SettingsPolicyPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/policy_files.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

SettingsPolicyPage::SettingsPolicyPage(UiServices& services)
    : SettingsPage(kSettingsPolicyPageDialogId, kTopicPolicyFiles, services) {
    SetCaption("Policy files");
    AddSettingControls(Controls());
    // Leaving the field loads a new file, as soon as the focus has moved:
    // the click that moved it (OK, say) then acts with the file loaded.
    On(kFile, NotifyEvent::kFocusLost, [this] {
        Services().DeferFieldWork(this, [this, typed = TextString(ControlText(kFile))] { FileLeft(typed); });
    });
    On(kBrowse, NotifyEvent::kClicked, [this] { Browse(); });
}

void SettingsPolicyPage::LoadOwn(const ProgramSettings&) {
    // The file is shown only while a default file is in use (as the page
    // shows it: a click not yet stored counts).
    SettingText& file = Text(kFile);
    if (!file.changed && !CheckValue(kUseDefault)) file.text.MakeEmpty();
}

bool SettingsPolicyPage::NeedsLoading() const {
    const TextString& name = TextValue(kFile);
    // An empty field names no file: the default is then no file, and the
    // current one stays.
    return mainDialog_ != nullptr && CheckValue(kUseDefault) && !name.IsEmpty() &&
           name != mainDialog_->runPolicyFileName;
}

bool SettingsPolicyPage::MakeCurrentAndLoad(const TextString& name) {
    MainDialog& owner = *mainDialog_;
    // The policies the user changed would go: offered for saving (to the
    // file in use) first, and Cancel loads nothing.
    if (!owner.OfferToSaveEdits(kFirstButton)) return false;
    const TextString previousRun = owner.runPolicyFileName;
    const TextString previousField = owner.PolicyFileText;
    owner.runPolicyFileName = name;
    owner.PolicyFileText = name;
    const bool loaded = owner.LoadPolicyFile();
    if (loaded) {
        owner.SetPolicyFileName(name);
    } else {
        owner.runPolicyFileName = previousRun;
        owner.PolicyFileText = previousField;
    }
    owner.RefreshControls();
    return loaded;
}

void SettingsPolicyPage::FileLeft(const TextString& typed) {
    if (mainDialog_ == nullptr) return;
    SettingText& file = Text(kFile);
    const TextString before = file.text;
    file.text = typed;
    if (file.text == before) return;
    // Marked first: loading reloads the sheet, which keeps a changed value.
    SettingChanged(file.changed);
    if (!NeedsLoading()) return;
    ProgramSettings& settings = mainDialog_->settings;
    const TextString previousDefault = settings.defaultPolicyFile;
    settings.defaultPolicyFile = file.text;
    if (MakeCurrentAndLoad(file.text)) return;
    file.text = before;
    settings.defaultPolicyFile = previousDefault;
    SetControlText(kFile, before.c_str());
}

void SettingsPolicyPage::Browse() {
    UpdateData(true);
    SettingText& file = Text(kFile);
    TextString path(file.text);
    if (!Services().ChooseFile(false, "", GetMessageText(kMsgPolicyFilesFilter), path) || path == file.text) return;
    file.text = path;
    SetControlText(kFile, path.c_str());
    SettingChanged(file.changed);
}

bool SettingsPolicyPage::AcceptFile() {
    if (mainDialog_ == nullptr) return true;
    if (!UpdateData(true)) return false;
    SettingText& file = Text(kFile);
    if (!(Check(kUseDefault).changed || file.changed) || !NeedsLoading()) return true;
    if (MakeCurrentAndLoad(file.text)) return true;
    // The field goes back to the name the settings hold.
    const ProgramSettings& settings = mainDialog_->settings;
    file.text = settings.defaultPolicyUsed ? settings.defaultPolicyFile : TextString();
    file.changed = false;
    if (HasWindow()) SetControlText(kFile, file.text.c_str());
    return false;
}

void SettingsPolicyPage::StoreOwn(ProgramSettings& settings) {
    SettingCheck& used = Check(kUseDefault);
    SettingText& file = Text(kFile);
    if (used.changed || file.changed) {
        settings.defaultPolicyUsed = used.number != 0;
        if (used.number == 0) {
            settings.defaultPolicyFile.MakeEmpty();
        } else if (!NeedsLoading() || MakeCurrentAndLoad(file.text)) {
            settings.defaultPolicyFile = file.text;
        } else {
            file.text = settings.defaultPolicyFile;
            if (HasWindow()) SetControlText(kFile, file.text.c_str());
        }
    }
    // The base's store writes these two as they are: done here.
    used.changed = false;
    file.changed = false;
}

// ---- SettingsViewerPage ----

namespace {

// The DDE service list in its order, and the name each entry stores.
constexpr const char* kServiceEntries[] = {"IExplore (Internet Explorer)", "Netscape (or Communicator)", "Opera",
                                           "Mozilla (Netscape 6)", "Other"};
constexpr const char* kServiceNames[] = {"IExplore", "NETSCAPE", "Opera", "Mozilla"};

}  // namespace

std::span<const PageControl> SettingsViewerPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/viewers.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

SettingsViewerPage::SettingsViewerPage(UiServices& services)
    : SettingsPage(kSettingsViewerPageDialogId, kTopicViewers, services) {
    SetCaption("Viewers");
    AddSettingControls(Controls());
    std::vector<TextString> entries;
    for (const char* entry : kServiceEntries) entries.emplace_back(entry);
    SetItems(kServiceList, std::move(entries));
    auto serviceChosen = [this] {
        UpdateData(true);
        SettingChanged(serviceChanged_);
        RefreshEnabling();
    };
    On(kServiceList, NotifyEvent::kSelectionEnded, serviceChosen);
    On(kServiceList, NotifyEvent::kListClosed, serviceChosen);
    On(kOtherService, NotifyEvent::kFocusLost, [this] { UpdateData(true); });
    On(kBrowseBrowser, NotifyEvent::kClicked, [this] { Browse(kBrowserCommand); });
    On(kBrowseRtf, NotifyEvent::kClicked, [this] { Browse(kRtfCommand); });
}

int SettingsViewerPage::ServiceEntry(const TextString& name) {
    if (name.IsEmpty()) return 0;
    for (int i = 0; i < static_cast<int>(std::size(kServiceNames)); ++i)
        if (name.view() == kServiceNames[i]) return i;
    return kOtherServiceEntry;
}

TextString SettingsViewerPage::ServiceName(int entry, const TextString& otherName) {
    if (entry == kOtherServiceEntry) return otherName;
    if (entry < 0 || entry >= static_cast<int>(std::size(kServiceNames))) return TextString(kServiceNames[0]);
    return TextString(kServiceNames[entry]);
}

void SettingsViewerPage::LoadOwn(const ProgramSettings& settings) {
    // Without a command of their own the page proposes the desktop's viewers;
    // the look-ups are quiet, as the page reloads after every conversion.
    ResultViewer viewer(Owner()->settings, Services(), Owner()->LanguageCode);
    SettingText& browser = Text(kBrowserCommand);
    if (!browser.changed && browser.text.IsEmpty()) viewer.FindViewerCommand(browser.text, ".html", ".htm");
    SettingText& rtf = Text(kRtfCommand);
    if (!rtf.changed && rtf.text.IsEmpty()) viewer.FindRtfViewer(rtf.text);
    if (serviceChanged_) return;
    serviceEntry_ = ServiceEntry(settings.ddeServerName);
    otherService_ = serviceEntry_ == kOtherServiceEntry ? settings.ddeServerName : TextString();
}

void SettingsViewerPage::StoreOwn(ProgramSettings& settings) {
    if (serviceChanged_) settings.ddeServerName = ServiceName(serviceEntry_, otherService_);
}

void SettingsViewerPage::ExchangeMore(DataExchange& dx) {
    dx.Selection(kServiceList, serviceEntry_);
    TakeSettingText(dx, kOtherService, otherService_, serviceChanged_);
}

void SettingsViewerPage::Browse(int fieldId) {
    UpdateData(true);
    SettingText& command = Text(fieldId);
    TextString path(command.text);
    const char* filter = GetMessageText(kMsgProgramFilesFilter);
    // Programs here have no extension: the chooser opens on "All files".
    if (!Services().ChooseFileOnEntry(false, "", filter, AllFilesEntry(filter), path) || path.IsEmpty()) return;
    // A chosen program is stored as its full path, as a user would type it;
    // it is started with its file as the one argument, never through a shell.
    command.text = path;
    SetControlText(fieldId, path.c_str());
    SettingChanged(command.changed);
}
