// The "Output Policies" sheet: the output side of the conversion policies,
// one page each for added HTML, document colours, fonts, hyperlinks, RTF
// document details, RTF settings and table generation.
//
// The main dialog creates the sheet once and keeps it; each opening loads
// the pages from a policy set and shows the page of a topic code (`Open`).
// OK stores the pages into the target set when a page reported a change,
// Apply stores them whatever happened, Cancel stores nothing and discards
// what the pages hold unstored; OK and Cancel close the window.
#pragma once

#include "ui/base_sheet.h"
#include "ui/output_pages.h"

class FC;

class Sheet : public PolicySheet {
public:
    // The pages in tab order: Added HTML, Document colours, Fonts,
    // Hyperlinks, Document details, RTF Settings, Table generation.
    Sheet(BaseDialog& mainDialog, UiServices& services);

    HyperlinksPage hyperlinks;
    AddedHTMLPage addedHtml;
    ColoursPage colours;
    FontPage fonts;
    TablePage table;
    RTFDocumentPage rtfDocument;
    RTFSettingsPage rtfSettings;

    // Each page's load, in the order Hyperlinks, Added HTML, Colours,
    // Fonts, Table, RTF document, RTF settings.
    void LoadPages(FC& set, FC& second) override;
    // Each page's store in the same order.
    void StorePages(FC& target) override;
    // Clears every page's changed flags.
    void ResetChanged() override;

    void SetActivePageByTopic(int topic) override;
    void ChangeLanguage(int language) override;

private:
    // The pages in the order they load and store.
    OptionPage* const pagesInLoadOrder_[7];
};
