// In-line tags: the dispatcher through which the analysis has a recognised
// tag carried out for the output, and the routines that read a FONT or
// COLOUR tag, convert the tags of a heading text and report a tag fault.
#include "analysis/tag_dispatch.h"

#include <climits>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/message_reporter.h"
#include "foundation/pattern_rules.h"
#include "foundation/utilities.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

// A fault found in a line's tag goes to the line; without a line (or a
// context to hand it to) it is reported through the policy set.
void TagFault(FC* policies, AnalysedLine* line, const TextString& text) {
    if (!policies) return;
    if (line && policies->context) {
        line->LineMessage(*policies->context, text, kLevelAlways);
        return;
    }
    policies->ReportMessage(text.buffer, kLevelAlways);
}

// Normalises a colour given in a tag.  An unknown name is warned about and
// kept as written when it is a plain word; false when it cannot be used.
bool NormaliseTagColour(FC& set, const TextString& name, TextString& colour) {
    if (NormaliseHTMLColour(name, &colour)) return true;
    TextString warning("WARNING: \"");
    warning.Append(MessageExcerpt(name));
    warning.Append("\" is not a standard HTML colour");
    set.ReportMessage(warning.buffer, kLevelWarning);
    if (!IsWritableColour(name)) return false;
    colour = name;
    return true;
}

// ---------------------------------------------------------------------------
// The dispatcher

bool ExecuteInlineTag(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                      const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                      TextString* replacement) {
    Context* context = policies ? policies->context : nullptr;
    if (context && context->tagExecutor)
        return context->tagExecutor(mode, line, tagText, name, arguments, document, policies, replace, replacement);
    if (replace) *replace = 0;
    if (replacement) replacement->MakeEmpty();
    return false;
}

// ---------------------------------------------------------------------------
// Support routines

void ReportTagParseFault(FC* policies, AnalysedLine* line, const TextString& tagText, const TextString& name,
                         int argumentNumber) {
    TextString message("TAG ERROR: Failed to parse");
    if (argumentNumber > 0) {
        message.Append(" Arg#");
        message.AppendNumber('1', argumentNumber, 0);
        message.Append(" in");
    }
    message.Append(" \"");
    message.Append(tagText);
    message.Append(" ");
    message.Append(name);
    message.Append("\"");
    TagFault(policies, line, message);
}

bool GetTagFont(FC* policies, AnalysedLine* line, const TextString& name, const TextString& arguments,
                FontSpec& font) {
    if (!policies) return false;
    int type = -1;
    if (!TryGetTagInteger(*policies, arguments, 1, type)) {
        ReportTagParseFault(policies, line, arguments, name, 1);
        return false;
    }
    TextString face;
    if (!TryGetTagString(*policies, arguments, 2, face) || !IsUsableFontFace(face)) {
        ReportTagParseFault(policies, line, arguments, name, 2);
        return false;
    }
    if (type != 0 && type != 1) {
        TagFault(policies, line, TextString("UNSUPPORTED CASE: Tagged font type"));
        return false;
    }
    int size = 10, extra = 0, style = 0;
    GetTagIntegerOrDefault(*policies, arguments, 3, size, 10);
    GetTagIntegerOrDefault(*policies, arguments, 4, extra, 0);
    GetTagIntegerOrDefault(*policies, arguments, 5, style, 0);

    if (type == 0)
        font.SetFaceName(face);
    else
        font.SetAlternateFace(face);
    font.SetSize(size);
    font.lineHeight = size <= INT_MAX - 2 ? size + 2 : size;
    font.SetExtraStyle(extra != 0 ? 1 : 0);
    font.SetItalic((style & 1) != 0 ? 1 : 0);
    font.SetBold((style & 2) != 0 ? 1 : 0);
    return true;
}

bool GetTagColour(FC* policies, AnalysedLine* line, const TextString& name, const TextString& arguments,
                  TextString& colour) {
    colour.MakeEmpty();
    if (!policies) return false;
    FC& set = *policies;

    TextString given;
    double red = 0, green = 0, blue = 0;
    if (GetTagReal(set, arguments, 2, red, false, 0) && GetTagReal(set, arguments, 3, green, false, 0) &&
        GetTagReal(set, arguments, 4, blue, false, 0)) {
        // Fractions 0..1, or byte values 0..255 once any of them is above 1.
        if (red > 1.0 || green > 1.0 || blue > 1.0) {
            red /= 256.0;
            green /= 256.0;
            blue /= 256.0;
        }
        TextString digits;
        FormatRGBColour(&digits, red, green, blue);
        given.Assign("#");
        given.Append(digits);
    } else if (!TryGetTagString(set, arguments, 1, given)) {
        ReportTagParseFault(policies, line, arguments, name, 1);
        return false;
    }

    TextString normalised;
    if (!NormaliseTagColour(set, given, normalised)) return false;
    if (IsRuleSet(set.ruleSetCode) && normalised.Matches("White", 0, 0)) {
        set.ReportMessage("TAG ERROR: \"white\" text not allowed against white background", kLevelAlways);
        return false;
    }
    if (normalised.Matches("Black", 0, 0)) return true;
    colour = normalised;
    return true;
}

void ConvertTaggedText(FC* policies, bool noEscape, const TextString& text, TextString& out) {
    out = text;
    if (!policies) return;
    if (!noEscape) {
        const int format = policies->context ? policies->context->outputFormat : kOutputHTML;
        if (format == kOutputHTML)
            HTML_EscapeText(policies, out);
        else if (format == kOutputRTF)
            RTF_EscapeText(policies, out);
    }
    const TextString& start = policies->GetText(Pol::StartTagDelimiter);
    const TextString& end = policies->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;
    TextString pattern;
    AppendPatternLiteral(&pattern, start.buffer);
    pattern.Append("**");
    AppendPatternLiteral(&pattern, end.buffer);

    PatternRewriter rewriter;
    if (!rewriter.AddCallbackRule(kRuleRewriteCallback, pattern.buffer, nullptr, 0, ConvertTaggedTextRule, policies))
        return;
    rewriter.Apply(out);
    rewriter.GetResult(&out);
}
