// Interim definitions: the analysed line is being built.
#include "analysis/analysed_line.h"

#include "context/context.h"

bool IsHeadingType(int t) {
    return (t >= 101 && t <= 106) || (t >= 111 && t <= 116) || t == 120 || t == 121 || (t >= 131 && t <= 136);
}
bool IsListItemType(int t) { return (t >= 210 && t <= 216) || t == 219; }
bool IsListBlankType(int t) { return t == 217 || t == 218; }
bool IsContentsType(int t) { return t >= 151 && t <= 156; }
bool IsTaggedType(int t) { return t >= 1001 && t <= 1034; }

AnalysedLine::~AnalysedLine() {
    if (trackingContext) trackingContext->ForgetLine(this);
}
void AnalysedLine::Reset(int keep) {
    if (trackingContext) trackingContext->ForgetLine(this);
    TextLine::Reset(keep);
}
void AnalysedLine::CopyAnalysis(const AnalysedLine*) {}
void AnalysedLine::SetText(const char* text) { Assign(text); }
void AnalysedLine::SetPosition(FC*, const SourcePosition& where) { position = where; }
void AnalysedLine::SetOriginPosition(FC*, const SourcePosition& where) { originPosition = where; }
int AnalysedLine::GetTextIndent() const { return 0; }
bool AnalysedLine::IsUpperCase() const { return TextString::IsUpperCase(); }
void AnalysedLine::PreprocessLine(FC* set) { TextLine::PreprocessLine(set); }
void AnalysedLine::TidyLine(FC*) {}
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
void AnalysedLine::ConvertInputLine(FC*, int, int) {}
void AnalysedLine::StripTerminalEscapes(FC*) {}
void AnalysedLine::LineMessage(Context& context, const TextString& text, int) {
    context.sink.IsSuppressedByPrefix(text);
}
void AnalysedLine::ProcessInLineTag(const TextString&, FC&) {}
bool AnalysedLine::ExecuteTag(int, OutputDocument*, const TextString&, FC&, TextString&, int&) { return false; }
