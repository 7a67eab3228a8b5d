// The seven pages of the output-policies sheet: Added HTML, Document colours,
// Fonts, Hyperlinks, RTF document details, RTF settings and Table
// generation.  Each shows a group of output policies of a policy set and
// writes back only what the user changed (see OptionPage).
//
// Each page's controls stand in its table, texts/pages/<page>.def (see
// ui/page_table.h): controls the table hides are hidden by every enabling
// refresh; their values are loaded and stored all the same, so that a
// policy file's value passes through the sheet unchanged.
#pragma once

#include <span>
#include <vector>

#include "foundation/text_string.h"
#include "texts/sheet_topics.h"
#include "ui/more_html_options_dialog.h"
#include "ui/option_page.h"

// "Table generation": the default table configuration of the set, and
// "Attempt TABLE generation" of the set itself.
class TablePage : public OptionPage {
public:
    // The controls (texts/pages/table_generation.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/table_generation.def"
#undef PAGE_CONTROL

    explicit TablePage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

protected:
    void LoadValues(const FC& set) override;
};

// "Added HTML": title, description, keywords, the included files with their
// histories, and the advanced options of the More HTML Options dialog.
class AddedHTMLPage : public OptionPage {
public:
    // The controls (texts/pages/added_html.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/added_html.def"
#undef PAGE_CONTROL

    explicit AddedHTMLPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
    void ResetChanged() override;

    // The five values of the advanced options, with their set flags (the
    // changed flags of this page for them).
    MoreHtmlOptions& AdvancedOptions() { return advanced_; }
    // The advanced options dialog while it is open, else null.
    const MoreHtmlOptionsDialog* OpenAdvancedDialog() const { return advancedDialog_; }

protected:
    void LoadValues(const FC& set) override;
    void OnInitDialog() override;

private:
    // The file field of a browse button or a field, with its history.
    struct FileField {
        int fieldId;
        int browseId;
        int filterSlot;
        bool fullPath;  // the whole chosen path, else the file name only
        bool filledFromHistory;
    };
    static const FileField kFileFields[];
    TextString* HistoryOf(int fieldId) const;
    void FileTyped(int fieldId);
    void FileChosenFromList(int fieldId);
    void Browse(const FileField& field);
    void OpenAdvancedOptions();

    MoreHtmlOptions advanced_;
    MoreHtmlOptionsDialog* advancedDialog_ = nullptr;
};

// "Document colours".
class ColoursPage : public OptionPage {
public:
    // The controls (texts/pages/document_colours.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/document_colours.def"
#undef PAGE_CONTROL

    explicit ColoursPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();
};

// "Fonts": the five font texts ("face, style, size"), their font choosers
// and the font implementation.
class FontPage : public OptionPage {
public:
    // The controls (texts/pages/fonts.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/fonts.def"
#undef PAGE_CONTROL

    explicit FontPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

protected:
    void LoadValues(const FC& set) override;
    void OnInitDialog() override;

private:
    void ChooseFontFor(int fieldId);
};

// A font text "face, style, size" read for a font chooser: the face as
// written, weight 700 for "Bold" and "Bold Italic", italic for "Italic" and
// "Bold Italic", the size from the third field (12 when there is none or it
// is not a number).
FontChoice FontTextToChoice(const TextString& fontText);
// The font text of a chosen font: "face, Bold Italic|Bold|Italic|Regular,
// size".
TextString FontChoiceToText(const FontChoice& font);

// "Hyperlinks".
class HyperlinksPage : public OptionPage {
public:
    // The controls (texts/pages/hyperlinks.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/hyperlinks.def"
#undef PAGE_CONTROL

    explicit HyperlinksPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
    void ResetChanged() override;

    // The list of further news hierarchies as the page shows it, and the
    // cross-reference box and level.
    const TextString& Hierarchies() const { return hierarchies_; }
    int CrossRefs() const { return crossRefs_; }
    int CrossRefLevel() const { return crossRefLevel_; }

protected:
    void LoadValues(const FC& set) override;
    void ExchangeOwn(DataExchange& dx) override;
    // The cross-reference box is on while the page's own value is.
    bool IsOn(int controlId) const override;

private:
    TextString hierarchies_;
    bool hierarchiesChanged_ = false;
    int crossRefs_ = 0;
    int crossRefLevel_ = 0;
    bool crossRefsChanged_ = false;
};

// "Document details" of an RTF document.
class RTFDocumentPage : public OptionPage {
public:
    // The controls (texts/pages/rtf_document.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/rtf_document.def"
#undef PAGE_CONTROL

    explicit RTFDocumentPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
};

// The character encodings offered, "name (Description)"; a chosen entry is
// stored as its name, the first blank-separated word.
const std::vector<TextString>& CharsetChoices();
TextString CharsetName(const TextString& entry);

// "RTF Settings": proofing language, paper, orientation, margins and the
// character encoding.
class RTFSettingsPage : public OptionPage {
public:
    // The controls (texts/pages/rtf_settings.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/rtf_settings.def"
#undef PAGE_CONTROL
    // The margins a field accepts, in centimetres.
    static constexpr double kLargestMargin = 100.0;

    explicit RTFSettingsPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
    void ResetChanged() override;

    // The character-encoding field's text.
    const TextString& Charset() const { return charset_; }

protected:
    void LoadValues(const FC& set) override;
    void OnInitDialog() override;
    void ExchangeOwn(DataExchange& dx) override;

private:
    struct Margin {
        int controlId;
        Pol policy;
        double value = 0.0;
        bool changed = false;
    };
    TextString charset_;
    bool charsetChanged_ = false;
    Margin margins_[4] = {{kTopMargin, Pol::TopMargin},
                          {kBottomMargin, Pol::BottomMargin},
                          {kLeftMargin, Pol::LeftMargin},
                          {kRightMargin, Pol::RightMargin}};
};
