// Interim definitions: the line's own tag handling is being built.
#include "analysis/analysed_line.h"

#include "context/context.h"

bool AnalysedLine::IsUpperCase() const { return TextString::IsUpperCase(); }

bool AnalysedLine::CutWrappedPiece(int width, int start, const char* whiteSpace, const char* breakAfter,
                                   const char* breakBefore, TextString* out, int* nextStart, int checkDoubleByte,
                                   int option) {
    return TextLine::CutWrappedPiece(width, start, whiteSpace, breakAfter, breakBefore, out, nextStart,
                                     checkDoubleByte, option);
}

int AnalysedLine::FindBreakPoint(int start, int width, const char* whiteSpace, const char* breakAfter,
                                 const char* breakBefore, int* breakPos, int* insideMarkup, int checkDoubleByte,
                                 int option) {
    return TextLine::FindBreakPoint(start, width, whiteSpace, breakAfter, breakBefore, breakPos, insideMarkup,
                                    checkDoubleByte, option);
}

void AnalysedLine::LineMessage(Context& context, const TextString& text, int) {
    context.sink.IsSuppressedByPrefix(text);
}

void AnalysedLine::ProcessInLineTag(const TextString&, FC&) {}

bool AnalysedLine::ExecuteTag(int, OutputDocument*, const TextString&, FC&, TextString&, int&) { return false; }

