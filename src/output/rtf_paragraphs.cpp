#include "output/rtf_paragraphs.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/style_set.h"
#include "context/tracker.h"
#include "foundation/fonts.h"
#include "foundation/utilities.h"
#include "output/rtf_file.h"
#include "policies/fc.h"

namespace {

bool IsOn(FC* policies, Pol id) { return policies && policies->IsOn(id); }

bool IsArabicEncoding(FC* policies) {
    return policies && policies->GetText(Pol::CharacterEncoding).Matches("windows-1256", 0, 0);
}

// The heading style (12-17) of a heading line type, or -1.
int HeadingStyleOfType(int lineType) {
    for (int base : {100, 110, 130}) {
        const int level = lineType - base;
        if (level >= 1 && level <= 6) return kStyleHeading1 + level - 1;
    }
    return -1;
}

// The heading style of the line the output tracker is on, or -1.
int CurrentHeadingStyle(FC* policies) {
    Context* context = policies ? policies->context : nullptr;
    if (!context) return -1;
    Tracker* tracker = context->pGetTracker();
    if (!tracker || !tracker->currentLine) return -1;
    return HeadingStyleOfType(tracker->currentLine->lineType);
}

bool Selected(const RTFParagraphParts* parts, int RTFParagraphParts::*part) { return !parts || parts->*part; }

}  // namespace

RTFStyle* RTF_GetStyle(FC* policies, int position) {
    Context* context = policies ? policies->context : nullptr;
    if (!context || position < 0 || position >= kStyleCount) return nullptr;
    return &context->styleSet.styles[static_cast<size_t>(position)];
}

void RTF_GetStyleFont(FC*, RTFFile*, const RTFStyle* style, const RTFFontOverride* override, int* font, int* size,
                      int* bold, int* italic) {
    RTFStyle fallback;
    if (!style) style = &fallback;
    int f = style->fontIndex, s = style->pointSize, b = style->bold, i = style->italic;
    if (override) {
        const FontSpec* spec = override->font;
        if (override->faceMode == 1 && spec && spec->fontIndex >= 0) f = spec->fontIndex;
        switch (override->sizeMode) {
            case 1:
                if (spec) s = spec->size;
                break;
            case 2: s = override->relativeSize; break;
            case 3:
                if (style->pointSize + override->relativeSize > 4) s = style->pointSize + override->relativeSize;
                break;
            default: break;
        }
        if (override->styleMode == 1 && spec) {
            b = spec->bold;
            i = spec->italic;
        } else if (override->styleMode == 2) {
            b = override->bold;
            i = override->italic;
        }
    }
    if (font) *font = f;
    if (size) *size = s;
    if (bold) *bold = b;
    if (italic) *italic = i;
}

void RTF_StartPara(FC* policies, RTFFile* document, int position, const RTFStyle* style, TextString& out,
                   const RTFParagraphParts* parts, const RTFFontOverride* override) {
    out.MakeEmpty();
    if (!style) style = RTF_GetStyle(policies, position);
    if (!style) return;
    if (Selected(parts, &RTFParagraphParts::reset)) {
        out.Append("\\pard");
        if (style->plain) out.Append("\\plain");
        if (style->inTable) out.Append("\\intbl");
        out.Append(" ");
    }
    if (Selected(parts, &RTFParagraphParts::styleNumber)) {
        out.Append("\\s");
        out += style->number;
    }
    const bool spacing = Selected(parts, &RTFParagraphParts::spacing);
    if (spacing) {
        if (style->spaceBefore != 0) {
            out.Append("\\sb");
            out += style->spaceBefore;
        }
        if (style->spaceAfter != 0) {
            out.Append("\\sa");
            out += style->spaceAfter;
        }
    }
    const bool keep = Selected(parts, &RTFParagraphParts::keepWithNext);
    if (keep && style->keepWithNext &&
        (IsOn(policies, Pol::MakeWindowsHelpSource) || (position >= kStyleHeading1 && position <= kStyleHeading6)))
        out.Append("\\keepn\\widctlpar");
    if (keep || spacing) out.Append(" ");
    if (Selected(parts, &RTFParagraphParts::font)) {
        int font = 0, size = 0, bold = 0, italic = 0;
        RTF_GetStyleFont(policies, document, style, override, &font, &size, &bold, &italic);
        if (IsArabicEncoding(policies)) {
            out.Append("\\ltrch \\af");
            out += font;
            out.Append(" \\rltch ");
        }
        out.Append("\\f");
        out += font;
        out.Append("\\fs");
        out += ClampedSum(size, size);  // half points
        out.Append(bold ? "\\b" : "\\b0");
        out.Append(italic ? "\\i" : "\\i0");
    }
    if (Selected(parts, &RTFParagraphParts::alignment)) {
        if (style->alignA == 0 && style->alignB == 1)
            out.Append("\\qr");
        else if (style->alignA == 1 && style->alignB == 1)
            out.Append("\\qj");
        else if (style->alignA == 0 && style->alignB == 0)
            out.Append("\\qc");
    }
    if (IsOn(policies, Pol::InputJapanese)) out.Append("\\loch\\af100\\hich\\af100\\dbch\\f16 ");
}

void RTF_GetParagraphStart(FC* policies, RTFFile* document, int kind, int indentLevel, TextString& out,
                           const RTFParagraphParts* parts) {
    TextString start;
    RTF_StartPara(policies, document, kStyleBody, nullptr, start, parts);
    const int step = document ? document->indentStep : 360;
    const int left = indentLevel * step;
    int first = left;
    if (kind == kRTFParagraphOrdinary && policies) {
        const int blocks = policies->GetInt(Pol::FirstLineIndentation);
        if (blocks != 0) {
            first = left + 360 * blocks;
            if (first == 0 && policies->GetInt(Pol::NewParagraphOffset) > 0) first = 360;
        }
    }
    out = "{";
    out.Append(start);
    if (Selected(parts, &RTFParagraphParts::indentation)) {
        if (left != 0) {
            out.Append("\\li");
            out += left;
        }
        // "\fi" counts from the left indent, so only the difference goes in.
        if (first != left) {
            out.Append("\\fi");
            out += first - left;
        }
    }
}

void SetRTFStyle(FC* policies, RTFFile* document, int kind, int indentLevel) {
    if (!document) return;
    document->WriteText(policies, document, "}}");
    TextString start;
    RTF_GetParagraphStart(policies, document, kind, indentLevel, start, nullptr);
    start.Append("{");
    if (IsOn(policies, Pol::InputJapanese)) start.Append("\\loch\\af5\\hich\\af5\\dbch\\f16 ");
    document->WriteText(policies, document, start.buffer);
    document->paragraphKind = kind;
    document->indentLevel = indentLevel;
}

bool RTF_SetStyleIfChanged(FC* policies, RTFFile* document, int kind, int indentLevel) {
    if (!document || (document->paragraphKind == kind && document->indentLevel == indentLevel)) return false;
    SetRTFStyle(policies, document, kind, indentLevel);
    return true;
}

int RTF_GetStyleForKind(FC* policies, int) {
    const int heading = CurrentHeadingStyle(policies);
    return heading >= 0 ? heading : static_cast<int>(kStyleBody);
}

int RTF_GetStyleForBlock(FC* policies, int styleKind) {
    // Kind 0 names no style at all; every other kind takes the heading's
    // style while a heading is written.
    if (styleKind == 0) return 255;
    const int heading = CurrentHeadingStyle(policies);
    if (heading >= 0) return heading;
    switch (styleKind) {
        case 2: return 11;
        case 3: return 3;
        case 4: return 4;
        case 5: return 6;
        case 6: return 5;
        case 7: return 8;
        case 8: return 7;
        case 9: return 2;
        default: return kStyleBody;
    }
}

void RTF_WriteContentsField(FC* policies, RTFFile* document, int first, int second) {
    if (!document || IsOn(policies, Pol::MakeWindowsHelpSource) || first > 0 || second != 1) return;
    TextString field("{\\field{\\*\\fldinst {\\kerning0 TOC ");
    if (policies && policies->IsSet(Pol::MaximumContentsLevel) && policies->GetInt(Pol::MaximumContentsLevel) > 0) {
        field.Append("\\\\o \"1-");
        field += policies->GetInt(Pol::MaximumContentsLevel);
        field.Append("\" ");
    }
    field.Append("\\\\* MERGEFORMAT }}{\\fldrslt {\\b (Update this field (F9) to get Contents list) }}}\\par ");
    document->WriteLine(policies, document, &field, 0);
}
