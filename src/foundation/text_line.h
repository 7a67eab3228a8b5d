// TextLine: one line of a document in memory: its current text, a raw copy
// of the text as read, links to the previous and next line, a line type, a
// counter and the length of its first word.  It supplies the reading-time
// steps that need neither the policies nor the Context (carriage-return
// removal, RTF escaping of 8-bit characters) and word wrapping for output;
// the steps that read them (the acceptance test with its character-encoding
// statistics, text commands, tab expansion) are in context/text_line_reading.
// The analysed line of the line analysis derives from it.
#pragma once

#include "foundation/line_types.h"
#include "foundation/shared_text.h"
#include "foundation/text_string.h"

class FC;

class TextLine : public TextString {
public:
    SharedText rawText;  // the text as read, before tab expansion (see SharedText)
    TextLine* previous = nullptr;  // not owned
    TextLine* next = nullptr;  // not owned
    int lineType = kLineText;
    int counter = 0;
    int firstWordLength = -1;
    // Whether the line is an analysed line (analysis/analysed_line.h), whose
    // constructors set it: the line tests ask of their neighbours many times
    // a line whether they are analysed lines, and a load answers that where
    // a look at the line's dynamic type costs several.  A copy never takes
    // the mark over: a plain line copied from an analysed one stays plain.
    class AnalysedMark {
    public:
        AnalysedMark() = default;
        AnalysedMark(const AnalysedMark&) noexcept {}
        AnalysedMark& operator=(const AnalysedMark&) noexcept { return *this; }
        ~AnalysedMark() = default;
        bool IsSet() const { return set; }
        void Set() { set = true; }

    private:
        bool set = false;
    };
    AnalysedMark analysedMark;

    TextLine() { Reset(1); }
    explicit TextLine(TextLine* previousLine) {
        Reset(1);
        LinkAfter(previousLine);
    }
    TextLine(const TextLine&) = default;
    TextLine& operator=(const TextLine&) = default;
    ~TextLine() override = default;

    // Clears the text unless `keepText`; type, counter and first-word length
    // go back to their initial values.  The raw text and the links stay.
    void Reset(int keepText);
    void Relink(int keepText, TextLine* previousLine);
    // Links this line after `previousLine` (which may be null) as the last
    // line of the chain.
    void LinkAfter(TextLine* previousLine);

    virtual int GetMaxLength() const { return 1024; }
    virtual void SetLineType(int type) { lineType = type; }
    virtual void AnalyseLine(FC* set);
    // Removes a final carriage return and refreshes the raw text.
    virtual void PreprocessLine(FC* set);
    virtual void TidyLine(FC* set);
    // Cuts the piece of at most about `width` characters that begins at
    // `start` into `out` (emptied first); *nextStart is where the next piece
    // begins.  False when `start` lies beyond the text.
    virtual bool CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                                 const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                                 int option);
    // Puts the index of the last character of the next piece into *breakPos
    // and 0 into *insideMarkup.  Returns 0, or with `checkDoubleByte` the byte
    // value at the break position.
    virtual int FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter,
                               const char* breakBefore, int* breakPos, int* insideMarkup, int checkDoubleByte,
                               int option);

    // Writes every byte from 128 up as an RTF hexadecimal escape ("\'e9").
    void EscapeForRTF(FC* set);
};

// The reading state that carries from one physical line to the next while
// input is read (kept by the acceptance test of context/text_line_reading).
// There is one such record for the whole program.
struct LineAcceptanceState {
    // The last line was dropped, by a page marker or as the first blank
    // line of a double-spaced pair.
    int lastLineDropped = 0;
    // Lines still to drop after a page marker (the marker line included).
    int linesToSkip = 0;
    // Line-drawing mode of terminal escape sequences, switched on by one line
    // and kept for the following ones.
    int lineDrawingState = 0;
};

LineAcceptanceState& GetLineAcceptanceState();

// The reading state never carries from one top-level input to the next.
void ResetLineAcceptanceState();
