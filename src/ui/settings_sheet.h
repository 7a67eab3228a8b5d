// The "Program Settings" sheet: the user guide's location, what a run
// started by dropping files does, the message policies, the default policy
// file and the viewers.
//
// The main dialog creates the sheet once and keeps it; each opening loads
// the pages (the program settings, and the message policies from a policy
// set) and shows the page of a topic code (`Open`).  OK first lets the
// Policy files page load a new default file, and stays open when it fails
// to load; otherwise it stores every page that holds a changed value.
// Apply does the same and leaves the sheet open; Cancel stores nothing and
// discards what the pages hold unstored.  OK and Cancel close the window and
// keep its position.  The main dialog learns that policies were edited only
// when a message policy was stored.
#pragma once

#include "ui/base_sheet.h"
#include "ui/settings_pages.h"

class FC;
class MainDialog;
class MenuModel;

class SheetSettings : public BaseSheet {
public:
    // How far right of and below the desktop's centre the sheet opens when
    // it has no saved position.
    static constexpr int kCentreOffsetX = 100;
    static constexpr int kCentreOffsetY = 50;

    // The pages in tab order: Documentation, Drag'n'Drop, Messages, Policy
    // files, Viewers.  `menu`, when given, is the main menu whose "Show
    // results automatically" check mark follows the stored setting.
    SheetSettings(MainDialog& mainDialog, UiServices& services, MenuModel* menu = nullptr);

    SettingsDocoPage doco;
    SettingsDragPage drag;
    SettingsMessagesPage messages;
    SettingsPolicyPage policy;
    SettingsViewerPage viewer;

    // Loads every page again, in the order Policy files, Viewers,
    // Drag'n'Drop, Documentation, Messages (the message policies from
    // `set`); values the user changed and has not stored stay.  This is the
    // reload the main dialog asks for after a policy file or a conversion.
    void LoadPages(FC& set, FC& second) override;
    // The Policy files page's check, then every page's store into the
    // settings and the target set.  False, nothing stored, when the default
    // policy file fails to load.
    bool StorePages();
    // Clears every page's changed flags.
    void ResetChanged() override;

    void SetActivePageByTopic(int topic) override;
    void ChangeLanguage(int language) override;

protected:
    void OnInitDialog() override;
    bool OnSheetOk() override;
    bool OnSheetApply() override;

private:
    // True when a page holds a value not yet stored.
    bool AnyPageChanged() const;

    MenuModel* menu_;
};
