#include "output/font_markup.h"

#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/utilities.h"
#include "output/markup/colours.h"
#include "policies/fc.h"

namespace {

// Whether the builders write anything at all for this kind and font.  Fonts
// must be written as FONT tags; then only the forced kind, or a given font
// while "Add FONT markup" is on, gets markup.  A font that was never filled
// in is reported but still marked up.  Nothing is written outside an output
// pass.
bool IsMarkupWanted(int kind, FC* policies, const FontSpec* font, const char* invalidFontMessage) {
    Context* context = policies->context;
    if (kind != kFontKindForced && !(policies->IsOn(Pol::AddFontMarkup) && font)) return false;
    if (font && !font->set) policies->ReportMessage(invalidFontMessage, kLevelAlways);
    return context->IsOutputPass() != 0;
}

bool IsFontTagSwitchOn(const FC* policies) {
    return policies && policies->context && policies->context->fontTagSwitch;
}

}  // namespace

void GetStartFontMarkup(int kind, FC* policies, const FontSpec* font, TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!IsFontTagSwitchOn(policies)) return;
    Context* context = policies->context;
    context->documentState.pendingFontFlag = 0;
    if (!IsMarkupWanted(kind, policies, font, "PROGRAM ERROR: Invalid font passed to GetStartFontMarkup")) return;

    const int version = policies->GetInt(Pol::HTMLVersion);
    out->Append("<FONT");
    // The forced kind may come without a font: the tag then carries no
    // attributes rather than reading a font that is not there.
    if (font) {
        if (font->faceName.length > 0) {
            out->Append(" FACE=\"");
            out->Append(font->faceName);
            out->Append("\"");
        }
        if (version > 1 && policies->IsOn(Pol::LabelStyleClasses) && font->alternateFace.length > 0) {
            out->Append(" CLASS=\"CF");
            out->Append(font->alternateFace);
            if (font->bold) out->Append("B");
            if (font->italic) out->Append("I");
            out->Append("\"");
        }
        if (!policies->IsOn(Pol::SuppressAllColourMarkup)) AppendHTMLColourAttribute(*out, "COLOR", font->colour);
        TextString style;
        if (policies->IsOn(Pol::AddFontSizeMarkup)) {
            const int delta = policies->GetInt(Pol::DeltaFontSize);
            const int points = ClampedSum(delta, font->size);
            const bool lineKinds = kind == 1 || kind == 2;
            if (version > 1 && policies->IsOn(Pol::AddFontStyleMarkup)) {
                style.Append(" font-size:");
                style.AppendNumber('1', points, 0);
                style.Append("pt;");
                const int lineHeight = ClampedSum(delta, font->lineHeight);
                if (policies->ruleSetCode == kRuleSetTarnell && !lineKinds && lineHeight > 7 &&
                    font->lineHeight != ClampedSum(font->size, 2)) {
                    style.Append(" line-height:");
                    style.AppendNumber('1', lineHeight, 0);
                    style.Append("pt;");
                }
            }
            // Kinds 1 and 2 take their size from the style alone.
            if (style.length == 0 || !lineKinds) {
                out->Append(" SIZE=");
                out->AppendNumber('1', PointSizeToHTMLSize(points), 0);
            }
        }
        style.Trim(0, nullptr);
        if (style.length > 0) {
            out->Append(" STYLE=\"");
            out->Append(style);
            out->Append("\"");
        }
    }
    out->Append(">");

    if (font && policies->IsOn(Pol::AddEmphasisAndBoldMarkup)) {
        const bool strongEm = policies->IsOn(Pol::UseEmAndStrongMarkup);
        if (font->bold) out->Append(strongEm ? "<STRONG>" : "<B>");
        if (font->italic) out->Append(strongEm ? "<EM>" : "<I>");
    }
}

void GetEndFontMarkup(int kind, FC* policies, const FontSpec* font, TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!IsFontTagSwitchOn(policies)) return;
    // The same condition as the start markup: closing tags are written only
    // where the start markup opened them.
    if (!IsMarkupWanted(kind, policies, font, "PROGRAM ERROR: Invalid font passed to GetEndFontMarkup")) return;

    out->Assign("</FONT>");
    if (font && policies->IsOn(Pol::AddEmphasisAndBoldMarkup)) {
        const bool strongEm = policies->IsOn(Pol::UseEmAndStrongMarkup);
        if (font->bold) out->Insert(0, strongEm ? "</STRONG>" : "</B>");
        if (font->italic) out->Insert(0, strongEm ? "</EM>" : "</I>");
    }
}

void GetChangeFontMarkup(int kind, FC* policies, const FontSpec* from, const FontSpec* to, TextString* endMarkup,
                         TextString* startMarkup, const char*) {
    if (endMarkup) endMarkup->MakeEmpty();
    if (startMarkup) startMarkup->MakeEmpty();
    if (!policies || !policies->context || (!from && !to)) return;
    if (from && to) {
        int equal[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
        from->Compare(*to, &equal[0], &equal[1], &equal[2], &equal[3], &equal[4], &equal[5], &equal[6], &equal[7],
                      &equal[8]);
        bool same = true;
        for (int flag : equal) same = same && flag != 0;
        if (same) return;
    }
    const DocumentState& state = policies->context->documentState;
    if (!state.htmlOutput && !state.rtfOutput) {
        policies->ReportMessage("UNSUPPORTED CASE: output format in GetChangeFontMarkup", kLevelAlways);
        return;
    }
    TextString scratch;
    GetEndFontMarkup(kind, policies, from, endMarkup ? endMarkup : &scratch);
    GetStartFontMarkup(kind, policies, to, startMarkup ? startMarkup : &scratch);
}
