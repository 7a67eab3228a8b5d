// In-line tag execution and its support routines.
#include "analysis/tag_executors.h"

#include <climits>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "policies/fc.h"

namespace {

// A fault found in a line's tag goes to the line; without a line (or a
// context to hand it to) it is reported through the policy set.
void TagFault(FC* policies, AnalysedLine* line, const TextString& text) {
    if (!policies) return;
    if (line && policies->context) {
        line->LineMessage(*policies->context, text, 10);
        return;
    }
    policies->ReportMessage(text.buffer, 10);
}

}  // namespace

bool ExecuteInlineTag(int, AnalysedLine*, const TextString&, const TextString&, const TextString&, OutputDocument*,
                      FC*, int* replace, TextString* replacement) {
    // The executors are not part of the program yet: no tag is executed here
    // and none is replaced.  The caller hands every tag to the line's own
    // tag handling.
    if (replace) *replace = 0;
    if (replacement) replacement->MakeEmpty();
    return false;
}

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
    if (!TryGetTagString(*policies, arguments, 2, face)) {
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
