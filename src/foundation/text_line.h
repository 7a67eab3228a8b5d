// TextLine: one line of a document in memory: its current text, a raw copy
// of the text as read, links to the previous and next line, a line type, a
// counter and the length of its first word.  The analysed line of the line
// analysis derives from it.
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
    ~TextLine() override = default;

    void Reset(int keepText) {
        if (!keepText) MakeEmpty();
        firstWordLength = -1;
        lineType = 0;
        counter = 0;
    }
    void Relink(int keepText, TextLine* previousLine) {
        Reset(keepText);
        LinkAfter(previousLine);
    }
    void LinkAfter(TextLine* previousLine) {
        if (previousLine) previousLine->next = this;
        previous = previousLine;
        next = nullptr;
    }
    virtual int GetMaxLength() const { return 1024; }
    virtual void SetLineType(int type) { lineType = type; }
};
