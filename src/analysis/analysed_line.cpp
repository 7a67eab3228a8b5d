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
void AnalysedLine::PreprocessLine(FC* set) { TextLine::PreprocessLine(set); }
void AnalysedLine::TidyLine(FC*) {}
void AnalysedLine::ConvertInputLine(FC*, int, int) {}
void AnalysedLine::StripTerminalEscapes(FC*) {}
