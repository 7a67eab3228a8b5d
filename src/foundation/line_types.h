// Line types: the code every line carries (TextLine::lineType) once the line
// analysis has typed it, read by every later step.  Codes come in groups so
// that a range test tells the kind and the last digit the level; a directive
// line's type is its statement code (1001-1034, 241 and 242, see
// context/statement_codes.h).
#pragma once

enum LineType : int {
    kLineNoAnchor = -5,  // asks for no anchor name (heading anchors)
    kLineIgnored = -4,  // dropped by an ignore_line text command
    kLineNotAnalysed = -3,  // not typed yet; a line test's "no decision"
    kLineUnderline = -2,  // the underline below a heading or the ruler above one
    kLineConsumed = -1,  // inside a block definition, or emptied by preprocessing
    kLineText = 0,
    kLineBlank = 1,
    kLinePageBreak = 2,  // a form feed alone
    kLineParagraphStart = 3,  // starts a paragraph without a blank line before it
    kLineRuler = 4,  // a run of one rule character
    kLineNumberedHeading = 101,  // 101-106: numbered heading of level 1-6
    kLineNumberedHeadingLast = 106,
    kLineUnderlinedHeading = 111,  // 111-116: underlined or forced heading of level 1-6
    kLineUnderlinedHeadingLast = 116,
    kLineCapitalisedHeading = 120,  // in the heading range; no line receives it
    kLineEmbeddedHeading = 121,  // in the heading range; no line receives it
    kLineKeyPhraseHeading = 131,  // 131-136: key-phrase heading of group 1-6
    kLineKeyPhraseHeadingLast = 136,
    kLineContents = 151,  // 151-156: contents-list line of level 1-6
    kLineContentsLast = 156,
    kLineDefinitionTerm = 160,  // first line of a hanging paragraph
    kLineHangingContinuation = 161,
    kLineBulletItem = 210,
    kLineNumberItem = 211,
    kLineAlphaItem = 212,
    kLineRomanItem = 213,
    kLineCapitalAlphaItem = 214,
    kLineCapitalRomanItem = 215,
    kLineListContinuation = 216,  // indented to a list item's text
    kLineListBlank = 217,  // a blank line inside a list
    kLineListTaggedBlank = 218,  // a blank line inside a list that carries in-line tags
    kLineListMarkupOnly = 219,  // a line inside a list holding only markup tags
    kLineDefinition = 230,  // term, separator and text on one line
    kLineDefinitionContinuation = 231,
    kLineQuoted = 235,  // ">" quoting
    kLineMailHeading = 250,  // a heading-list code (level 2) no line receives
};

// Heading level 1..6 of a heading or contents line type, 0 for other types.
constexpr int GetHeadingLevel(int lineType) {
    if ((lineType >= kLineNumberedHeading && lineType <= kLineNumberedHeadingLast) ||
        (lineType >= kLineUnderlinedHeading && lineType <= kLineUnderlinedHeadingLast) ||
        (lineType >= kLineKeyPhraseHeading && lineType <= kLineKeyPhraseHeadingLast) ||
        (lineType >= kLineContents && lineType <= kLineContentsLast))
        return lineType % 10;
    if (lineType == kLineCapitalisedHeading || lineType == kLineEmbeddedHeading || lineType == kLineMailHeading)
        return 2;
    return 0;
}
