// The seven pages of the output-policies sheet: Added HTML, Document colours,
// Fonts, Hyperlinks, RTF document details, RTF settings and Table
// generation.  Each shows a group of output policies of a policy set and
// writes back only what the user changed (see OptionPage).
//
// Controls marked hidden below are hidden by every enabling refresh; their
// values are loaded and stored all the same, so that a policy file's value
// passes through the sheet unchanged.
#pragma once

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
    static constexpr int kTitle = 1026;
    static constexpr int kUseFirstHeading = 1185;  // hidden
    static constexpr int kUseFirstLine = 1191;  // hidden
    static constexpr int kDescription = 1028;
    static constexpr int kKeywords = 1029;
    static constexpr int kBackgroundImage = 1027;
    static constexpr int kHeaderFile = 1009;
    static constexpr int kFooterFile = 1010;
    static constexpr int kScriptFile = 1011;
    static constexpr int kShortcutIcon = 9016;
    static constexpr int kBrowseBackground = 1052;
    static constexpr int kBrowseHeader = 1053;
    static constexpr int kBrowseFooter = 1054;
    static constexpr int kBrowseScript = 1055;
    static constexpr int kBrowseIcon = 1056;
    static constexpr int kAdvancedOptions = 1579;

    explicit AddedHTMLPage(UiServices& services);

    void Store(FC& set) override;
    void ResetChanged() override;
    void RefreshEnabling() override;

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
    static constexpr int kSuppressColours = 1446;
    static constexpr int kBackground = 1004;
    static constexpr int kText = 1005;
    static constexpr int kLink = 1006;
    static constexpr int kVisitedLink = 2007;
    static constexpr int kActiveLink = 2008;
    static constexpr int kBackgroundSwatch = 1074;
    static constexpr int kTextSwatch = 1078;
    static constexpr int kLinkSwatch = 1079;
    static constexpr int kVisitedSwatch = 1080;
    static constexpr int kActiveSwatch = 1081;
    static constexpr int kFirstButton = 1060;  // 1060-1064: background, text, link, visited, active

    explicit ColoursPage(UiServices& services);

    void RefreshEnabling() override;

protected:
    void PaintSwatches() override;
};

// "Fonts": the five font texts ("face, style, size"), their font choosers
// and the font implementation.
class FontPage : public OptionPage {
public:
    static constexpr int kUseCss = 1522;
    static constexpr int kUseFontTags = 1523;
    static constexpr int kBodyFont = 1254;
    static constexpr int kHeadingFont = 1255;
    static constexpr int kTableFont = 1256;
    static constexpr int kFixedFont = 1257;
    static constexpr int kContentsFont = 1258;
    static constexpr int kBaseFontSize = 1252;  // hidden
    static constexpr int kDeltaFontSize = 1253;  // hidden
    static constexpr int kStyleFile = 1603;  // hidden
    static constexpr int kFirstFontButton = 1263;  // 1263-1267: body, headings, tables, fixed, contents

    explicit FontPage(UiServices& services);

    void RefreshEnabling() override;

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
    static constexpr int kCreateHyperlinks = 2030;
    static constexpr int kMailtoLinks = 2029;
    static constexpr int kEmailWithNumbers = 1458;
    static constexpr int kCheckDomainSyntax = 1591;
    static constexpr int kFtpLinks = 1274;
    static constexpr int kWeakFtpLinks = 1459;
    static constexpr int kGopherLinks = 1275;
    static constexpr int kTelnetLinks = 1276;
    static constexpr int kNewsLinks = 1030;
    static constexpr int kKnownGroupsOnly = 1032;
    static constexpr int kHierarchies = 1033;
    static constexpr int kBreakAfterUrls = 1210;  // hidden
    static constexpr int kCrossRefs = 1031;  // hidden
    static constexpr int kCrossRefLevel = 1034;  // hidden
    static constexpr int kNewWindow = 1265;
    static constexpr int kWindowName = 1313;

    explicit HyperlinksPage(UiServices& services);

    void Store(FC& set) override;
    void ResetChanged() override;
    void RefreshEnabling() override;

    // The list of further news hierarchies as the page shows it, and the
    // cross-reference box and level.
    const TextString& Hierarchies() const { return hierarchies_; }
    int CrossRefs() const { return crossRefs_; }
    int CrossRefLevel() const { return crossRefLevel_; }

protected:
    void LoadValues(const FC& set) override;
    void ExchangeOwn(DataExchange& dx) override;

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
    static constexpr int kTitle = 1301;
    static constexpr int kSubject = 1302;
    static constexpr int kAuthor = 1303;
    static constexpr int kManager = 1304;
    static constexpr int kCompany = 1305;
    static constexpr int kCategory = 1309;
    static constexpr int kKeywords = 1310;
    static constexpr int kComments = 1311;

    explicit RTFDocumentPage(UiServices& services);

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
    static constexpr int kLanguage = 1465;
    static constexpr int kPaperSize = 1485;
    static constexpr int kPortrait = 1468;
    static constexpr int kLandscape = 1469;
    static constexpr int kTopMargin = 1475;
    static constexpr int kBottomMargin = 1476;
    static constexpr int kLeftMargin = 1477;
    static constexpr int kRightMargin = 1478;
    static constexpr int kMirrorMargins = 1562;
    static constexpr int kCharset = 1600;
    // The margins a field accepts, in centimetres.
    static constexpr double kLargestMargin = 100.0;

    explicit RTFSettingsPage(UiServices& services);

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
