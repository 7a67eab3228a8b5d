#include "analysis/analysed_line.h"

#include <cstring>
#include <initializer_list>

#include "context/code_locations.h"
#include "context/context.h"
#include "foundation/line_types.h"
#include "policies/fc.h"

namespace {

std::unique_ptr<TextString> CopyOwned(const std::unique_ptr<TextString>& text) {
    return text ? std::make_unique<TextString>(*text) : nullptr;
}

}  // namespace

AnalysedLine::~AnalysedLine() {
    if (trackingContext) trackingContext->ForgetLine(this);
}

void AnalysedLine::Reset(int keep) {
    ResetAnalysis(keep);
    if (!keep) MakeEmpty();
    taggedText.MakeEmpty();
    plainText.MakeEmpty();
}

void AnalysedLine::ResetAnalysis(int keep) {
    if (trackingContext) trackingContext->ForgetLine(this);
    TextLine::Reset(1);
    textIsTagged = false;
    lineType = kLineText;
    trimmedLength = -1;
    leadingBlanks = -1;
    position.Clear();
    originPosition.Clear();
    fileLine = 0;
    tagCode = kStatementNone;
    extraWrapWidth = 0;
    mark = 0;
    flags = kFlagDefault;
    preFormatKind = 0;
    specialBlock = 0;
    sectionLevels.fill(-1);
    firstPairPresent = 0;
    firstPairStart = -1;
    secondPairPresent = 0;
    secondPairStart = -1;
    barOffset = -1;
    if (!keep) {
        annotation.reset();
        firstFind.reset();
        firstReplacement.reset();
        secondFind.reset();
        secondReplacement.reset();
    }
}

void AnalysedLine::Recycle(AnalysedLine* previousLine) {
    // The texts are emptied once, by ReleaseTexts (Reset would empty three
    // of them first).
    ResetAnalysis(0);
    ReleaseTexts(kKeptTextRoom);
    trackingContext = nullptr;
    LinkAfter(previousLine);
}

void AnalysedLine::ReleaseTexts(int keptRoom) {
    if (capacity > keptRoom)
        static_cast<TextString&>(*this) = TextString();
    else
        MakeEmpty();
    for (SharedText* text : {&rawText, &taggedText, &plainText, &inputText}) text->Release(keptRoom);
}

void AnalysedLine::ReleaseAnalysisTexts() {
    for (SharedText* text : {&plainText, &inputText})
        if (text->Room() > kKeptTextRoom) text->Release(kKeptTextRoom);
}

void AnalysedLine::GiveBackCurrentText() {
    if (capacity <= kKeptTextRoom || taggedText.Length() != length) return;
    if (std::memcmp(taggedText.View().data(), buffer, static_cast<size_t>(length)) != 0) return;
    static_cast<TextString&>(*this) = TextString();
    textIsTagged = true;
}

void AnalysedLine::CopyAnalysis(const AnalysedLine* other) {
    if (other == this) return;
    // The analysis is replaced; the line's own current text stays.
    TextString currentText(static_cast<const TextString&>(*this));
    Reset(0);
    AssignChars(currentText.buffer, currentText.length);
    if (!other) return;

    lineType = other->lineType;
    rawText = other->rawText;
    firstWordLength = other->firstWordLength;
    trimmedLength = other->trimmedLength;
    leadingBlanks = other->leadingBlanks;
    position = other->position;
    originPosition = other->originPosition;
    tagCode = other->tagCode;
    taggedText = other->taggedText;
    plainText = other->plainText;
    inputText = other->inputText;
    extraWrapWidth = other->extraWrapWidth;
    mark = other->mark;
    flags = other->flags;
    preFormatKind = other->preFormatKind;
    specialBlock = other->specialBlock;
    sectionLevels = other->sectionLevels;
    firstPairPresent = other->firstPairPresent;
    firstPairStart = other->firstPairStart;
    secondPairPresent = other->secondPairPresent;
    secondPairStart = other->secondPairStart;
    barOffset = other->barOffset;
    annotation = CopyOwned(other->annotation);
    firstFind = CopyOwned(other->firstFind);
    firstReplacement = CopyOwned(other->firstReplacement);
    secondFind = CopyOwned(other->secondFind);
    secondReplacement = CopyOwned(other->secondReplacement);
}

void AnalysedLine::SetText(const char* text) {
    if (!text) {
        MakeEmpty();
        rawText.MakeEmpty();
        taggedText.MakeEmpty();
        plainText.MakeEmpty();
        inputText.MakeEmpty();
        trimmedLength = 0;
        leadingBlanks = 0;
        return;
    }
    // The text may be one of this line's own texts: copy it first.
    const TextString copy(text);
    Assign(copy.buffer);
    rawText = copy;
    taggedText = rawText;
    plainText = rawText;
    inputText = rawText;
    leadingBlanks = CountLeadingBlanks(copy);
    trimmedLength = LengthWithoutTrailingBlanks(copy);
    if (trimmedLength == 0) leadingBlanks = 0;
}

void AnalysedLine::SetPosition(FC* set, const SourcePosition& where) {
    if (!where.IsValid()) return;
    position = where;
    Context* context = set ? set->context : nullptr;
    if (!context) return;
    // The tracker of the running code location; between the code locations
    // (location 0) the output tracker, which is what the tracker lookup falls
    // back to, but without its program error.
    const int location = context->trackers.codeLocation;
    Tracker* tracker = (IsTrackedCodeLocation(location)) ? context->pGetTracker() : &context->trackers.output;
    tracker->position = where;
}

void AnalysedLine::SetOriginPosition(FC*, const SourcePosition& where) {
    if (where.IsValid()) originPosition = where;
}

int AnalysedLine::GetTextIndent() const {
    // A following line that continues this one's text tells where it runs on.
    if (next) {
        const int nextType = next->lineType;
        if (nextType == kLineText || nextType == kLineHangingContinuation || nextType == kLineListContinuation ||
            nextType == kLineListMarkupOnly || nextType == kLineDefinitionContinuation) {
            const auto* following = AsAnalysedLine(next);
            if (following && following->leadingBlanks >= 0) return following->leadingBlanks;
            return CountLeadingBlanks(*next);
        }
    }
    // Otherwise the column of the second word (the text after a bullet,
    // number or term); a line of one word runs on at its first.
    const int blanks = leadingBlanks >= 0 ? leadingBlanks : CountLeadingBlanks(*this);
    int i = CountLeadingBlanks(*this);
    const int textStart = i;
    while (i < length && !IsBlankOrTab(buffer[i])) ++i;
    while (i < length && IsBlankOrTab(buffer[i])) ++i;
    if (i >= length) return blanks;
    return blanks + (i - textStart);
}

void AnalysedLine::PreprocessLine(FC* set) {
    // A final carriage return goes (the raw copy follows).
    TextLine::PreprocessLine(set);
    trimmedLength = length;

    const bool specialRules = set && IsRuleSet(set->ruleSetCode);
    const bool pageBreakWithText = length > 1 && buffer[0] == '\f';
    if (!pageBreakWithText && !specialRules) return;

    static const TextString defaultStart("[["), defaultEnd("]]");
    const TextString startDelimiter = set ? set->GetText(Pol::StartTagDelimiter) : defaultStart;
    const TextString endDelimiter = set ? set->GetText(Pol::EndTagDelimiter) : defaultEnd;

    // A page break with text after it: the form feed becomes a NEW_PAGE tag.
    // A form feed alone stays as it is.
    if (pageBreakWithText) {
        TextString tag = startDelimiter;
        tag.Append("NEW_PAGE");
        tag.Append(endDelimiter);
        TextString rest;
        rest.AssignChars(buffer + 1, length - 1);
        AssignChars(tag.buffer, tag.length);
        Append(rest);
    }

    // The two special rule sets read SGML-marked filings: the table and page
    // markup goes, red-lined text is marked with tags.
    if (set && IsRuleSet(set->ruleSetCode)) {
        Trim(0, " ");
        if (FindChar(0, '<', nullptr, 1)) {
            for (const char* markup : {"<Table>", "</Table>", "<Page>", "<S>", "<C>"}) Replace(markup, "", 0, 0);
            const TextString startRedline = startDelimiter + "START_REDLINE" + endDelimiter;
            const TextString endRedline = startDelimiter + "END_REDLINE" + endDelimiter;
            Replace("<R>", startRedline.buffer, 0, 0);
            Replace("</R>", endRedline.buffer, 0, 0);
            Trim(0, " ");
        }
        if (length == 0) SetLineType(kLineConsumed);
    }
}
