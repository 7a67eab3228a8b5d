// RTF paragraph starts, paragraph kinds and the contents field: the pieces
// that sit between the header of an RTF document and its end.
//
// A paragraph start for a style is "\pard" (with "\plain" and "\intbl" as
// the style asks) + " \s" + style number + spacing + keep-with-next + font +
// alignment.  The document keeps one paragraph open in a text group; a kind
// switch closes both groups ("}}") and opens new ones.
#pragma once

#include "foundation/text_string.h"

class FC;
class FontSpec;
class RTFFile;
class RTFStyle;

// The paragraph kinds: both are written in style "Body".  Kind 1 follows the
// first-line indentation policies; kind 2 does not (used when in-line font
// tags restate a paragraph start).
enum RTFParagraphKind : int { kRTFParagraphOrdinary = 1, kRTFParagraphPlain = 2 };

// Which parts of a paragraph start are written.  A null record means all.
struct RTFParagraphParts {
    int reset = 0;  // "\pard", "\plain", "\intbl"
    int styleNumber = 0;  // "\s" + number
    int spacing = 0;  // "\sb", "\sa"
    int font = 0;  // "\f", "\fs", bold and italic
    int alignment = 0;  // "\qr", "\qj", "\qc"
    int indentation = 0;  // "\li", "\fi"
    int keepWithNext = 0;  // "\keepn\widctlpar"
};

// A font that takes the place of a style's font (in-line font tags).
// Face mode: 0 the style's font, 1 the override font's index.  Size mode: 0
// the style's size, 1 the override font's size, 2 `relativeSize` itself, 3
// the style's size plus `relativeSize` when that is above 4.  Style mode: 0
// the style's bold and italic, 1 the override font's, 2 `bold` and `italic`.
struct RTFFontOverride {
    int faceMode = 0;
    int sizeMode = 0;
    int styleMode = 0;
    const FontSpec* font = nullptr;
    int relativeSize = 0;
    int italic = 0;
    int bold = 0;
};

// The style at a position (0-24) of the Context's style set; null without a
// context or outside the range.
RTFStyle* RTF_GetStyle(FC* policies, int position);

// The font of a style, changed by the override when one is given.  A
// negative override font index keeps the style's font.
void RTF_GetStyleFont(FC* policies, RTFFile* document, const RTFStyle* style, const RTFFontOverride* override,
                      int* font, int* size, int* bold, int* italic);

// The paragraph start of the style at `position` (the style record may be
// given, else it is taken from the style set).  `out` is emptied first.
void RTF_StartPara(FC* policies, RTFFile* document, int position, const RTFStyle* style, TextString& out,
                   const RTFParagraphParts* parts, const RTFFontOverride* override = nullptr);

// "{" + the "Body" paragraph start + the indentation of the kind at the
// indent level: "\li" + left indent when not 0, "\fi" + (first-line indent -
// left indent) when they differ.  `\fi` is relative to `\li` in RTF, so only
// the difference is written.
void RTF_GetParagraphStart(FC* policies, RTFFile* document, int kind, int indentLevel, TextString& out,
                           const RTFParagraphParts* parts);

// Closes the open paragraph ("}}") and opens one of the kind at the indent
// level; the document remembers both.
void SetRTFStyle(FC* policies, RTFFile* document, int kind, int indentLevel);
// SetRTFStyle only when the kind or the indent level differs from the
// document's; returns whether anything was written.
bool RTF_SetStyleIfChanged(FC* policies, RTFFile* document, int kind, int indentLevel);

// The style position of the open paragraph: "Body" (1) for both kinds, or
// the heading style (12-17) while the output tracker's current line is a
// heading of level 1-6.
int RTF_GetStyleForKind(FC* policies, int kind);

// The style position of a block kind: 0 gives 255 (no style), 2 gives 11,
// 3 gives 3, 4 gives 4, 5 gives 6, 6 gives 5, 7 gives 8, 8 gives 7, 9 gives 2,
// any other kind 1 ("Body"); while a heading is written (any kind but 0) the
// heading's style (12-17).
int RTF_GetStyleForBlock(FC* policies, int styleKind);

// The TOC field, written through the document, unless Windows Help source
// is made, `first` is above 0 or `second` is not 1.
void RTF_WriteContentsField(FC* policies, RTFFile* document, int first, int second);
