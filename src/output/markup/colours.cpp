#include "output/markup/colours.h"

#include <cmath>

#include "context/statement_codes.h"
#include "policies/fc.h"

int SnapPointSize(FC* policies, int points) {
    if (policies && policies->GetInt(Pol::HTMLVersion) > 1 && policies->IsOn(Pol::AddFontStyleMarkup)) return points;
    return HTMLSizeToPointSize(PointSizeToHTMLSize(points));
}

void AppendHTMLColourAttribute(TextString& tag, const char* name, const TextString& colour) {
    if (colour.IsEmpty() || !IsWritableColour(colour)) return;
    tag.AppendChar(' ');
    tag.Append(name);
    tag.Append("=\"");
    tag.Append(colour);
    tag.AppendChar('"');
}

void FormatPercentWidth(FC* /*policies*/, int width, TextString* out, int total) {
    if (total < 50) total = 800;
    int percent = static_cast<int>(std::lround(static_cast<double>(width) * 100.0 / total));
    if (percent == 0) percent = 1;
    out->Assign("\"");
    out->AppendNumber('1', percent, 0);
    out->Append("%\"");
}

int IsOutputDirectiveType(int lineType) {
    return ((lineType >= kStatementLineRule && lineType <= kStatementEndHTML) ||
            (lineType >= kStatementLinkPoint && lineType <= kStatementMetaTag))
               ? 1
               : 0;
}
