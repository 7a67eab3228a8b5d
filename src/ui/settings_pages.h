// The five pages of the program-settings sheet: Documentation, Drag'n'Drop,
// Messages, Policy files and Viewers.
//
// Four pages show values of the program settings (ProgramSettings), kept
// between runs in the settings file; the Messages page shows the message
// policies of a policy set.  Every value has its own changed flag: a load
// (the sheet opening, or reloading after a conversion) leaves a value the
// user changed as the user left it, and a store writes back only changed
// values.  A settings page forgets its flags once it has stored (the
// settings then hold what the page shows); the Messages page keeps them,
// like every page that edits a policy set, until the sheet is reset.
//
// A change on the Messages page marks the sheet modified (the main dialog
// learns that the user edited policies); a change on the other pages only
// enables Apply.
#pragma once

#include <span>
#include <vector>

#include "app/program_settings.h"
#include "foundation/text_string.h"
#include "texts/sheet_topics.h"
#include "ui/option_page.h"

class MainDialog;

// The common ground of the pages that show program settings: check boxes and
// text fields bound to a setting each.
class SettingsPage : public OptionPage {
public:
    SettingsPage(int templateId, int topicCode, UiServices& services);

    // Writes the changed values into the main dialog's settings, then
    // clears the changed flags.  The policy set is not touched.
    void Store(FC& set) override;
    void ResetChanged() override;
    // True when a value of the page is changed and not yet stored.
    bool SettingsChanged() const;

    // The value a check box or text field of the page shows now.
    bool CheckValue(int controlId) const;
    const TextString& TextValue(int controlId) const;

protected:
    struct SettingCheck {
        int controlId;
        bool ProgramSettings::*field;
        int number = 0;
        bool changed = false;
    };
    struct SettingText {
        int controlId;
        TextString ProgramSettings::*field;
        TextString text;
        bool changed = false;
    };

    // Makes the page's controls from its table (OptionPage::AddControls),
    // those bound to a setting with AddSettingCheck and AddSettingText.
    void AddSettingControls(std::span<const PageControl> controls);
    // A check box showing a setting counts as on while it is checked.
    bool IsOn(int controlId) const override;

    // A check box showing a yes/no setting: a click takes it and marks it
    // changed.
    void AddSettingCheck(int id, bool ProgramSettings::*field);
    // A text field showing a text setting: it is compared whenever the values
    // are taken (on losing the focus, leaving the page, OK and Apply); a
    // different text is marked changed.
    void AddSettingText(int id, TextString ProgramSettings::*field);
    SettingCheck& Check(int id);
    SettingText& Text(int id);

    // Shows the settings whose changed flags are clear (a page adds what it
    // shows in a way of its own with LoadOwn).
    void LoadValues(const FC& set) final;
    virtual void LoadOwn(const ProgramSettings&) {}
    // Writes the changed values into the settings (a page adds its own with
    // StoreOwn, which runs first).
    virtual void StoreOwn(ProgramSettings&) {}
    virtual bool OwnChanged() const { return false; }
    virtual void ResetOwn() {}

    void ExchangeOwn(DataExchange& dx) override;
    virtual void ExchangeMore(DataExchange&) {}

    // Marks a value changed and enables Apply (the sheet is not marked
    // modified: no policy changed).
    void SettingChanged(bool& changed);
    // Exchanges a text field of a page's own; a different text taken marks
    // `changed`.
    void TakeSettingText(DataExchange& dx, int id, TextString& member, bool& changed);
    // The main dialog's settings; null while the page is in no sheet.
    ProgramSettings* Settings() const;

    std::vector<SettingCheck> checks_;
    std::vector<SettingText> texts_;
};

// "Documentation": where the user guide is on this machine.
class SettingsDocoPage : public SettingsPage {
public:
    // The controls (texts/pages/documentation.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/documentation.def"
#undef PAGE_CONTROL

    explicit SettingsDocoPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

protected:
    void LoadOwn(const ProgramSettings& settings) override;

private:
    void Browse();
};

// "Drag'n'Drop": what a run started by dropping files on the program does.
class SettingsDragPage : public SettingsPage {
public:
    // The controls (texts/pages/drag_and_drop.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/drag_and_drop.def"
#undef PAGE_CONTROL

    explicit SettingsDragPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();
};

// "Messages": the error reporting level (a slider 0 to 10) and five boxes
// "Show ..." that each show a suppression policy the other way round.
class SettingsMessagesPage : public OptionPage {
public:
    // The controls (texts/pages/messages.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/messages.def"
#undef PAGE_CONTROL
    static constexpr int kLowestLevel = 0;
    static constexpr int kHighestLevel = 10;

    explicit SettingsMessagesPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
    void ResetChanged() override;
    // True when the level or a box is changed.
    bool MessagesChanged() const { return levelChanged_ || AnyChanged(); }
    int Level() const { return level_; }

protected:
    void LoadValues(const FC& set) override;
    void ExchangeOwn(DataExchange& dx) override;

private:
    void SliderMoved();

    int level_ = 0;
    bool levelChanged_ = false;
};

// "Policy files": the default policy file, loaded when the program starts.
// Making a new file the default also makes it the main dialog's current
// policy file and loads it; a file that fails to load is not taken (the
// field, the current file and the setting keep their previous names).
class SettingsPolicyPage : public SettingsPage {
public:
    // The controls (texts/pages/policy_files.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/policy_files.def"
#undef PAGE_CONTROL

    explicit SettingsPolicyPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    // The page's own part of OK and Apply, before anything is stored: a new
    // default file is made current and loaded.  False, with the field back
    // at its previous name, when it fails to load: the sheet then stays
    // open and stores nothing.
    bool AcceptFile();

    // The main dialog whose current policy file the page loads; set by the
    // sheet.
    void SetMainDialog(MainDialog& mainDialog) { mainDialog_ = &mainDialog; }

protected:
    void LoadOwn(const ProgramSettings& settings) override;
    void StoreOwn(ProgramSettings& settings) override;

private:
    // The field was left with `typed` (run once the focus has moved).
    void FileLeft(const TextString& typed);
    void Browse();
    // Makes `name` the main dialog's current policy file and loads it; on
    // failure the previous current file is put back.  The policies the user
    // changed are offered for saving first; Cancel loads nothing.  True when
    // it loaded.
    bool MakeCurrentAndLoad(const TextString& name);
    // The use flag is on and the field names a file other than the current
    // one.
    bool NeedsLoading() const;

    MainDialog* mainDialog_ = nullptr;
};

// "Viewers": the programs that show HTML and RTF results, the DDE switch
// and service (kept as settings and shown disabled: there is no DDE here,
// results are shown by starting the program), automatic viewing, and the
// "file://" prefix of addresses.
class SettingsViewerPage : public SettingsPage {
public:
    // The controls (texts/pages/viewers.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/viewers.def"
#undef PAGE_CONTROL
    // The entry of the service list that takes its name from kOtherService.
    static constexpr int kOtherServiceEntry = 4;

    explicit SettingsViewerPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    // The list entry of a stored DDE service name ("IExplore" and empty the
    // first, a name of no entry the last), and the name an entry stores.
    static int ServiceEntry(const TextString& name);
    static TextString ServiceName(int entry, const TextString& otherName);

protected:
    void LoadOwn(const ProgramSettings& settings) override;
    void StoreOwn(ProgramSettings& settings) override;
    bool OwnChanged() const override { return serviceChanged_; }
    void ResetOwn() override { serviceChanged_ = false; }
    void ExchangeMore(DataExchange& dx) override;

private:
    void Browse(int fieldId);

    int serviceEntry_ = 0;
    TextString otherService_;
    bool serviceChanged_ = false;
};
