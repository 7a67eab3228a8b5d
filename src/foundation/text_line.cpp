// Interim definitions: the reading-time steps of text lines are being built.
#include "foundation/text_line.h"

void TextLine::Reset(int keepText) {
    if (!keepText) MakeEmpty();
    firstWordLength = -1;
    lineType = 0;
    counter = 0;
}
void TextLine::Relink(int keepText, TextLine* previousLine) {
    Reset(keepText);
    LinkAfter(previousLine);
}
void TextLine::LinkAfter(TextLine* previousLine) {
    if (previousLine) previousLine->next = this;
    previous = previousLine;
    next = nullptr;
}
int TextLine::GatherCharsetStatistics(FC*) { return 1; }
void TextLine::AnalyseLine(FC*) { lineType = 0; }
void TextLine::PreprocessLine(FC*) {}
void TextLine::TidyLine(FC*) {}
bool TextLine::CutWrappedPiece(int, int, const char*, const char*, const char*, TextString* out, int* nextStart, int,
                               int) {
    out->MakeEmpty();
    *nextStart = -1;
    return false;
}
int TextLine::FindBreakPoint(int, int, const char*, const char*, const char*, int*, int* insideMarkup, int, int) {
    *insideMarkup = 0;
    return 0;
}
void TextLine::ExpandTabs(FC*) {}
void TextLine::ApplyTextCommands(FC*) {}
void TextLine::EscapeForRTF(FC*) {}
void ResetLineAcceptanceState() {}
