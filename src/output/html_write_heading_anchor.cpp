#include "output/html_write_heading_anchor.h"

#include <cstdint>

#include "analysis/emphasis.h"
#include "analysis/heading_list.h"
#include "context/context.h"
#include "foundation/line_types.h"
#include "output/markup/heading_anchors.h"
#include "output/output_document.h"
#include "policies/fc.h"

namespace {

bool Same(const TextString& a, const TextString& b) { return a.view() == b.view(); }

void WriteAnchor(FC* policies, OutputDocument* document, const TextString& name) {
    TextString text("<A NAME=\"");
    text.Append(name);
    text.Append("\"> </A>");
    document->WriteLine(policies, document, &text, 1);
}

}  // namespace

void HTML_WriteHeadingAnchor(FC* policies, OutputDocument* document, int lineType, const SourcePosition& position,
                             const TextString& title, const TextString& heading, const TextString& reported) {
    if (!document || !policies || !policies->context) return;
    if (!document->IsOpen()) {
        policies->ReportMessage("PROGRAM ERROR: File not open in HTML_WriteHeadingAnchor!", kLevelAlways);
        return;
    }
    Context* context = policies->context;

    TextString strippedTitle, strippedHeading, strippedReported;
    StripMarkupChars(*policies, title, strippedTitle);
    StripMarkupChars(*policies, heading, strippedHeading);
    StripMarkupChars(*policies, reported, strippedReported);
    const TextString titleCopy(strippedTitle);

    SourcePosition where = position;
    if (!where.IsValid()) {
        where = context->trackers.output.position;
        if (where.line < INT32_MAX) where.line += 1;
    }

    const bool compositionUnit = policies->IsOn(Pol::InputIsCompositionUnit);
    TextString unitAnchor, filePrefix;
    int index = -1, matches = 0;
    HeadingListEntry* entry =
        context->documentState.headings.Find(policies, strippedHeading, strippedTitle, where, &index, &matches);
    if (!entry) {
        if (lineType != kLineMailHeading) {
            TextString message("WARNING: Failed to match heading with known entry \"");
            message.Append(strippedReported);
            message.AppendChar('"');
            policies->ReportMessage(message.buffer, kLevelAlways);
        }
    } else {
        if (entry->mark) return;
        entry->mark = 1;
        if (compositionUnit) {
            entry->GetAnchorName(unitAnchor);
            filePrefix = entry->fileName;
            filePrefix.AppendChar('_');
        }
        strippedTitle = entry->anchorStem;
    }

    TextString l1, l2, l3, lu;
    GetHeadingLinkName(&strippedTitle, lineType, policies, 1, &l1);
    GetHeadingLinkName(&strippedReported, lineType, policies, 1, &l3);
    GetHeadingLinkName(&strippedHeading, lineType, policies, 1, &l2);
    GetHeadingLinkName(&unitAnchor, lineType, policies, 1, &lu);

    WriteAnchor(policies, document, l1);
    if (!l3.IsEmpty() && !Same(l3, l1) && !Same(strippedReported, titleCopy))
        WriteAnchor(policies, document, filePrefix + l3);
    if (!l2.IsEmpty() && !Same(l2, l1) && !Same(l2, l3) && !Same(strippedHeading, titleCopy) &&
        !Same(strippedHeading, strippedReported))
        WriteAnchor(policies, document, filePrefix + l2);
    if (compositionUnit && !unitAnchor.IsEmpty() && !Same(lu, l1) && !Same(lu, l3) && !Same(lu, l2) &&
        !Same(unitAnchor, titleCopy) && !Same(unitAnchor, strippedReported) && !Same(unitAnchor, strippedHeading))
        WriteAnchor(policies, document, lu);
}
