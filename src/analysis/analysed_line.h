// AnalysedLine: one input line as the converter sees it: the text line
// extended by what the line analysis finds out about it (kind, indentation,
// lengths, section number, source positions, directive code, attribute
// flags) and by the texts the line conversion produces.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "context/statement_codes.h"
#include "foundation/shared_text.h"
#include "foundation/source_position.h"
#include "foundation/text_line.h"
#include "foundation/text_string.h"

class Context;
class FC;
class OutputDocument;
class PreformattedScoreRecord;
enum class TagReading;  // analysis/inline_tag_args.h

// Attribute bits of the flag word.
enum AnalysedLineFlag : uint32_t {
    kFlagPreformattedByScore = 0x1,
    kFlagUniformRuler = 0x2,
    kFlagDefinitionSeparator = 0x4,
    kFlagCentred = 0x8,
    kFlagUnderlined = 0x10,
    kFlagPreformatted = 0x20,
    kFlagHeaderLine = 0x40,
    kFlagShortLine = 0x80,
    kFlagHasLink = 0x100,
    kFlagBarLine = 0x200,
    kFlagKeepLineBreak = 0x400,
    kFlagRefusedHeading = 0x800,
    kFlagNotAnalysed = 0x1000,
    kFlagProtected = 0x2000,
    kFlagDefault = 0x4000,
    kFlagIgnored = 0x8000,
    kFlagCodeLine = 0x10000,
    kFlagInContentsList = 0x20000,
    kFlagHasHeadingTag = 0x40000,
};

// The analysed line that `line` is, or null, told by the line's mark.
class AnalysedLine;
inline AnalysedLine* AsAnalysedLine(TextLine* line);
inline const AnalysedLine* AsAnalysedLine(const TextLine* line);

// Line type groups used by range tests (inline: the line typing asks
// several of them for every line).
inline bool IsHeadingType(int t) {
    return (t >= kLineNumberedHeading && t <= kLineNumberedHeadingLast) ||
           (t >= kLineUnderlinedHeading && t <= kLineUnderlinedHeadingLast) || t == kLineCapitalisedHeading ||
           t == kLineEmbeddedHeading || (t >= kLineKeyPhraseHeading && t <= kLineKeyPhraseHeadingLast);
}
inline bool IsListItemType(int t) {
    return (t >= kLineBulletItem && t <= kLineListContinuation) || t == kLineListMarkupOnly;
}
inline bool IsListBlankType(int t) { return t == kLineListBlank || t == kLineListTaggedBlank; }
inline bool IsContentsType(int t) { return t >= kLineContents && t <= kLineContentsLast; }
inline bool IsTaggedType(int t) { return t >= kStatementFirst && t <= kStatementLast; }

class AnalysedLine : public TextLine {
public:
    int mark = 0;
    uint32_t flags = kFlagDefault;
    int trimmedLength = -1;
    int leadingBlanks = -1;
    int preFormatKind = 0;
    int extraWrapWidth = 0;
    // The line's copies of its text.  Nearly always they hold the same bytes
    // (or, for the input text, those bytes without their outer blanks), and
    // a whole file may stand on one line: a long line's equal copies share
    // one buffer with the raw text until one of them is written (SharedText),
    // so that the record holds the line twice (the current text and the
    // shared one) rather than five times.  The current text stays a buffer
    // of its own: it is the one that escaping and the analysis change.
    SharedText taggedText;  // the text before output escaping, in-line tags kept ("unescaped text")
    SharedText plainText;  // working copy for the text tests; in-line tags taken out
    SharedText inputText;  // the text after the reading-time conversion ("original text")
    // The current text was given back for the tagged text, which holds the
    // same bytes (see GiveBackCurrentText): read the tagged text in its place.
    bool textIsTagged = false;
    // A tag's replacement made while a tag batch is open: the tag's text, what
    // stands for it, and whether it replaces the tag in the current text only
    // (an executed tag) or in the input and plain texts too.
    // A replacement in the input and plain texts may have a form of its own
    // in the current text, which is escaped for the output.
    struct TagReplacement {
        std::string tag;
        std::string replacement;
        bool currentTextOnly = false;
        std::optional<std::string> currentReplacement;
        const std::string& ForCurrentText() const { return currentReplacement ? *currentReplacement : replacement; }
    };
    // The replacements made while a tag batch is open, in the order the tags
    // stand in the line.
    bool tagBatchOpen = false;
    std::vector<TagReplacement> tagBatch;
    std::array<int, 6> sectionLevels{-1, -1, -1, -1, -1, -1};
    SourcePosition position;
    SourcePosition originPosition;
    // The line of the main input file it was read at, as an editor counts
    // them (set by the conversion as the line is read; 0 when unknown):
    // what a message about the line names.
    int fileLine = 0;
    int tagCode = kStatementNone;
    int specialBlock = 0;  // kind of the special block the preprocessor was in
    std::unique_ptr<TextString> annotation;
    int firstPairPresent = 0;
    std::unique_ptr<TextString> firstFind, firstReplacement;
    int firstPairStart = -1;
    int secondPairPresent = 0;
    std::unique_ptr<TextString> secondFind, secondReplacement;
    int secondPairStart = -1;
    // A bar line (kFlagBarLine): where its bar stood in the tagged text
    // before it was blanked (-1: no bar there, or no bar line).  A table
    // keeps the bar as text of its cell.
    int barOffset = -1;

    // The room a recycled record keeps for each of its texts.
    static constexpr int kKeptTextRoom = 64 * 1024;

    AnalysedLine() {
        analysedMark.Set();
        Reset(1);
    }
    explicit AnalysedLine(AnalysedLine* previousLine) : TextLine(previousLine) {
        analysedMark.Set();
        Reset(1);
    }
    AnalysedLine(const AnalysedLine&) = delete;
    AnalysedLine& operator=(const AnalysedLine&) = delete;
    ~AnalysedLine() override;

    bool HasFlag(uint32_t bit) const { return (flags & bit) != 0; }
    void SetFlag(uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

    // Back to the state of a fresh line (the input text is kept); the text
    // and the owned texts are kept only when `keep` is set.
    void Reset(int keep);
    // Makes the record what a new one linked after `previousLine` is, its
    // texts keeping the buffers they have (up to kKeptTextRoom each).
    void Recycle(AnalysedLine* previousLine);
    // Empties the five texts and gives back the room of each that holds
    // more than `keptRoom` bytes (of all of them with 0): a record that has
    // been handed on need not hold a long line any more.
    void ReleaseTexts(int keptRoom = 0);
    // The plain and the input text serve the line analysis only: a line
    // handed to the table engine gives back their room when it is more than
    // a recycled record keeps, before the engine copies its other texts.
    void ReleaseAnalysisTexts();
    // A long line handed to the table engine whose current text holds the
    // tagged text's bytes gives the current text's room back (textIsTagged
    // is set), so that the engine copies the line while it is held once.
    void GiveBackCurrentText();
    // Takes over the whole analysis of `other` (owned texts copied), keeping
    // this line's current text; a null `other` only resets.
    void CopyAnalysis(const AnalysedLine* other);
    // All five texts become `text` (null: empty); blanks are measured.
    void SetText(const char* text);
    // A valid position becomes the line's source position and the current
    // position of the running code location's tracker (the output tracker
    // between code locations).
    void SetPosition(FC* set, const SourcePosition& where);
    void SetOriginPosition(FC* set, const SourcePosition& where);
    // The column at which the line's text runs on.
    int GetTextIndent() const;

    // Overrides of the text line.
    bool IsUpperCase() const override;
    int GetMaxLength() const override { return 255; }
    void PreprocessLine(FC* set) override;
    void TidyLine(FC* set) override;
    bool CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                         const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                         int option) override;
    int FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter, const char* breakBefore,
                       int* breakPos, int* insideMarkup, int checkDoubleByte, int option) override;

    // Reading-time conversion (only while the input is read): Macintosh
    // characters, terminal escapes, then the input text kept (trimmed when
    // `trim`; left alone inside a user-defined table when `skipInTable`).
    void ConvertInputLine(FC* set, int skipInTable, int trim);
    // Removes terminal escape sequences from every copy of the line.
    void StripTerminalEscapes(FC* set);

    // Messages about this line and the line's own tag handling.
    void LineMessage(Context& context, const TextString& text, int level);
    virtual void ProcessInLineTag(const TextString& tag, FC& set);
    // While a line's tags are read one after another (BeginTagBatch ..
    // EndTagBatch), each tag's replacement is recorded and the line's texts
    // are rebuilt once at the end, each in one pass: replacing tag by tag
    // would move the rest of the line for every tag, and a line may hold
    // hundreds of thousands of them.
    // The tags executed for output (ExecuteTag) are batched the same way.
    void BeginTagBatch();
    void EndTagBatch();
    // Closes the batch without touching the texts; returns its replacements.
    std::vector<TagReplacement> TakeTagBatch();
    // Replaces the first `tag` in the current text (and, unless
    // `currentTextOnly`, in the input and plain texts), or records the
    // replacement while a batch is open.
    void ReplaceTag(const TextString& tag, const TextString& replacement, bool currentTextOnly);
    // The same in every text, with `currentReplacement` in the current text.
    void ReplaceTag(const TextString& tag, const TextString& replacement, const TextString& currentReplacement);
    virtual bool ExecuteTag(int mode, OutputDocument* document, const TextString& tag, FC& set, TextString& messages,
                            int& level);
    // ExecuteTag for a tag read already, as it reads it (ReadTag leaving an
    // unknown tag's arguments unread).  A tag not recognised only adds its
    // message and, in HTML, its escaped text as its replacement: it needs
    // nothing of the line but the replacement (or the batch) it goes to.
    bool ExecuteReadTag(int mode, OutputDocument* document, const TextString& tag, TagReading reading,
                        const TextString& name, const TextString& arguments, FC& set, TextString& messages,
                        int& level);

    // Lists, definitions, rulers, pre-formatted text (src/analysis/lists.cpp).
    // The "previous line" of these tests is GetAnalysisPreviousLine(this)
    // (lists.h).  Each test that types this line acts only while its type is
    // still 0, unless said otherwise.
    // The bullet test: a list-item type (210-215) or 0.  The type is not set.
    int CheckBulletLine(FC* set);
    // After this line became a list item: up to 3 blank lines (type 1) just
    // before it become list blanks (217) when a list line precedes them.
    void MarkListBlanksBeforeItem();
    // The definition test: kLineDefinition, or kLineNotAnalysed for no decision; sets flag 0x4 when a
    // separator stands at an accepted column.  The type is not set.
    int CheckDefinitionLine(FC* set);
    // Hanging paragraphs and dash bullets: may make the previous line 160
    // and this one 161, or the previous line 210 and this one 216.
    void CheckHangingParagraph(FC* set);
    // Known hanging columns: this line becomes 160.
    void CheckHangingColumns(FC* set);
    // The ruler test: kLineRuler, kLineUnderline (underlines the previous
    // line, which may become an underlined heading) or kLineNotAnalysed (no
    // ruler).  The type is not set;
    // the ruler flags (0x2, or 0x1 and 0x20 with kind 10) and the changes to
    // the lines above are made.
    int CheckRulerLine(FC* set);
    // List continuation (216) after a list item or a list blank.
    void CheckListContinuation(FC* set);
    // Definition continuation: 161 after 160/161, 231 after 230/231.
    void CheckDefinitionContinuation(FC* set);
    // Paragraph start by white space (3; a 3 after a 160 becomes 161).
    void CheckWhiteSpace(FC* set);
    // A short line after a long one: the next line becomes 3.
    void CheckShortPreviousLine(FC* set);
    // The pre-formatted tidy at the end of the analysis of a line; `record`
    // holds the score the line typing worked out, when it did (lists.h).
    void TidyPreformatting(FC* set) { TidyPreformatting(set, nullptr); }
    void TidyPreformatting(FC* set, PreformattedScoreRecord* record);

    // Headings and section numbers (headings.cpp).  Each works on this
    // line's section levels and the context's heading state; `deepest` is
    // the index of the line's deepest section level.
    //
    // The numbered-heading test: `words` is the text whose first word holds
    // the number (the line's first, second or third word, `wordCount` 1-3),
    // `underlineStyle` 0-3 for a line that the next line underlines (-1 for
    // none), `mayStandHere` false for a line inside running text.  Returns
    // 101-106, 111-114, 151-156, or 0 (a line refused by the numbering
    // checks gets flag 0x800).
    int CheckNumberedHeading(FC* set, const TextString& words, int wordCount, int underlineStyle, bool mayStandHere);
    // Compares levels 1..deepest+1 with the current numbers (SectionCheckResult).
    // Missing (15) and repeated (14) numbers are reported and give 0.
    int CheckSectionProgression(FC* set, int deepest, bool contentsMode, bool report);
    // Chapter numbers too close to the previous chapter: 4 (only blank lines
    // between; the earlier heading is undone) or 5, else 0.
    int CheckChapterSpacing(FC* set, int deepest, bool contentsMode, bool report);
    // Whether a number that passed the progression check starts, continues
    // or ends a contents list (ContentsCheckState), or the progression result.
    int CheckContentsState(FC* set, int deepest, bool contentsMode, int progression, bool report);

    // Line typing (src/analysis/line_typing.cpp).
    // Decides what the line is (text, blank, page break, paragraph start,
    // ruler, heading, contents line, list item or continuation, definition,
    // quoted text, program code, mail header, pre-formatted) from its text
    // and its neighbours: the lines before it are already analysed, the next
    // one has only been read.  Sets the type and the attribute flags and may
    // relabel the previous line or two.
    void AnalyseLine(FC* set) override;
    // A line framed by one bar ("| text" or "text |"): flag 0x200, the bar
    // blanked in all five texts, the blanks measured again.  True when it was.
    bool CheckBarLine();
    // A mail or news header line ("From: ..."): pre-format kind 7 and flags
    // 0x40 and 0x20.  `workingText` is the text without its leading blanks.
    bool CheckMailHeaderLine(const TextString& workingText);
    // Sets flag 0x8 when the line stands centred in the page width (and takes
    // it from a centred previous line that the next line shows was not).
    void CheckCentring(FC* set);
    // Whether the line is quoted text ("> text", "!text", "]text").
    bool IsQuotedLine() const;
    // Whether the text before a header line's ':' (`length` bytes) is one of
    // the known mail and news header names, compared without regard to case.
    static bool IsMailHeaderName(const char* name, int length);

    // Output-time conversion (src/analysis/line_conversion.cpp; the word
    // tidiers are in word_tidiers.h).  Each works only while output is
    // written (code location 3) and leaves plain-text output alone.
    //
    // Turns the text of a line about to be written into output text: the
    // word scan (addresses, newsgroups, overstruck words), section references,
    // emphasis, the replacement pairs of `source` (the analysed input line,
    // may be null, whose keep-line-break bit also travels both ways), the link
    // dictionary, and trimming.  Directive lines get the word scan only.
    void ConvertForOutput(FC& set, AnalysedLine* source, int doWords, int doReferences, int doEmphasis,
                          int doReplacements, int doLinkDictionary, int trim);
    // The word scan: words cut at blanks and tabs (`blankWords` 1) or also at
    // ',', ';', '<', '>', "&lt;" and "&gt;" (0); `html` for HTML output.
    // Words inside in-line tags, markup and existing links are left alone.
    void ConvertLine(FC& set, int blankWords, int html);
    // ConvertLine for a text known to hold a byte the word scan looks at
    // when `holdsScanByte` is set (its own look for one is passed over).
    // True when the scan changed the text.
    bool ConvertWords(FC& set, int blankWords, int html, bool holdsScanByte);
    // Section numbers of known numbered headings ("see 2.1") become links to
    // the heading's anchor (only with "Expect Numbered Headings").
    void ConvertReferences(FC& set);
    // Rewrites the text through the policy set's link dictionary: the text
    // before the first tag and, for HTML, each text between two tags that is
    // not already the visible text of a link.
    void ApplyLinkDictionary(FC& set);

    // The context whose trackers may point at this line; Reset and the
    // destructor make it forget the line (set by Context::SetCurrentLine).
    Context* trackingContext = nullptr;

private:
    // What Reset does but for the current, tagged and plain texts, which
    // Reset empties and Recycle releases.
    void ResetAnalysis(int keep);
};

inline AnalysedLine* AsAnalysedLine(TextLine* line) {
    return line && line->analysedMark.IsSet() ? static_cast<AnalysedLine*>(line) : nullptr;
}

inline const AnalysedLine* AsAnalysedLine(const TextLine* line) {
    return AsAnalysedLine(const_cast<TextLine*>(line));
}
