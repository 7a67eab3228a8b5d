// The common base of the program's property sheets (the output policies,
// the analysis policies and the program settings).
//
// A sheet belongs to the main dialog, which creates it once, keeps it and
// shows it modeless.  The sheet knows the topic of the page last shown (each
// page records its topic code when it becomes active, so the sheet opens
// where the user left it), whether a page reported a change, and the
// user-interface language its labels are in, so that an opening after a
// change of language relabels it.
//
// Its window is placed 30 pixels in from the right and bottom edges of the
// desktop, or where the user last left it (a saved position with both
// coordinates 0 or more), moved as far as it takes to be wholly on the
// desktop (a sheet grown wider in another language); closing the window
// saves where it stands.
#pragma once

#include "app/program_settings.h"
#include "ui/sheet_model.h"

class BaseDialog;
class FC;

class BaseSheet : public SheetModel {
public:
    // How far in from the desktop's right and bottom edges a sheet opens
    // when it has no saved position.
    static constexpr int kDesktopMargin = 30;
    // A sheet whose language has never been set.
    static constexpr int kNoLanguage = -1;

    // `leftSlot` is where the settings keep the sheet's left coordinate;
    // the top follows it.
    BaseSheet(int templateId, BaseDialog& mainDialog, WindowPositionIndex leftSlot, UiServices& services);

    BaseDialog& Owner() const { return owner_; }

    // The topic code of the page last shown; 0 before any.
    int TopicCode() const { return topicCode_; }
    void SetTopicCode(int code) { topicCode_ = code; }
    // The language the sheet's labels are in.
    int SheetLanguage() const { return sheetLanguage_; }

    // The set OK and Apply store into; null until an opening sets it.
    FC* Target() const { return target_; }
    void SetTarget(FC* target) { target_ = target; }

    // Opens the sheet: the target set, the pages loaded from `set`, the
    // window made (or raised when it is up) and the page of `topic` shown.
    void Open(FC& target, FC& set, FC& second, int topic);
    // Loads every page from `set` (and the second set).
    virtual void LoadPages(FC& set, FC& second) = 0;
    // Clears every page's changed flags and the pending changes: the pages
    // hold nothing to store.
    virtual void ResetChanged() = 0;

    // Shows the page of a topic code.
    virtual void SetActivePageByTopic(int topic) = 0;
    // Relabels the sheet, its tabs and its pages in `language` (which is
    // already the language in force); nothing without a window.
    virtual void ChangeLanguage(int language) = 0;

protected:
    // The platform's set-up (first page shown), then the labels when the
    // language changed since, the placement and the page of the topic.
    void OnInitDialog() override;
    // Closing without storing keeps the position and discards what the
    // pages hold unstored: the next OK stores only what is changed after
    // it (what Apply stored before stays stored), and the next opening
    // shows the set it is loaded from.
    void OnSheetCancel() override;

    // Remembers the window's position in the program settings.
    void SavePosition();
    // Records the language the labels are now in.
    void SetSheetLanguage(int language) { sheetLanguage_ = language; }

private:
    void Place();

    BaseDialog& owner_;
    WindowPositionIndex leftSlot_;
    int topicCode_ = 0;
    int sheetLanguage_ = kNoLanguage;
    FC* target_ = nullptr;
};

// A sheet of conversion options, whose pages store into the target set: on
// OK when something changed, on Apply always.
class PolicySheet : public BaseSheet {
public:
    using BaseSheet::BaseSheet;

    // Each page's store into `target`; the main dialog then knows the user
    // edited policies.
    virtual void StorePages(FC& target) = 0;

protected:
    bool OnSheetOk() override;
    bool OnSheetApply() override;
};
