// TextLine: one line of a document in memory: its current text, a raw copy
// of the text as read, links to the previous and next line, a line type, a
// counter and the length of its first word.  It supplies the reading-time
// steps every line goes through (carriage-return removal, tab expansion, text
// commands, RTF escaping of 8-bit characters), the acceptance test the source
// reader applies to each physical line, and word wrapping for output.  The
// analysed line of the line analysis derives from it.
#pragma once

#include "foundation/text_string.h"

class FC;

class TextLine : public TextString {
public:
    TextString rawText;
    TextLine* previous = nullptr;  // not owned
    TextLine* next = nullptr;      // not owned
    int lineType = 0;
    int counter = 0;
    int firstWordLength = -1;

    TextLine() { Reset(1); }
    explicit TextLine(TextLine* previousLine) {
        Reset(1);
        LinkAfter(previousLine);
    }
    TextLine(const TextLine&) = default;
    TextLine& operator=(const TextLine&) = default;
    ~TextLine() override = default;

    void Reset(int keepText);
    void Relink(int keepText, TextLine* previousLine);
    void LinkAfter(TextLine* previousLine);

    virtual int GetMaxLength() const { return 1024; }
    // The acceptance test of the source reader: 1 accepted; 0 with an empty
    // text dropped; 0 with text kept: incomplete, the next physical line is
    // appended to it.
    virtual int GatherCharsetStatistics(FC* set);
    virtual void SetLineType(int type) { lineType = type; }
    virtual void AnalyseLine(FC* set);
    virtual void PreprocessLine(FC* set);
    virtual void TidyLine(FC* set);
    virtual bool CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                                 const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                                 int option);
    virtual int FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter,
                               const char* breakBefore, int* breakPos, int* insideMarkup, int checkDoubleByte,
                               int option);

    using TextString::ExpandTabs;
    void ExpandTabs(FC* set);
    void ApplyTextCommands(FC* set);
    void EscapeForRTF(FC* set);
};

// The acceptance test's reading state (page-marker skipping and double
// spacing) carries from line to line; a new top-level input starts afresh.
void ResetLineAcceptanceState();
