// The output document base: the input-side scan that hands the in-line tags
// of a source line to the line.
#include "output/output_document.h"

#include "analysis/analysed_line.h"
#include "policies/fc.h"

// Every tag between the start and end tag delimiters (found without regard to
// case) in the line's unescaped text goes, in order, to the line's own tag
// handling.  The scan works on a copy: what a tag does to the line is the
// line's business.  An end delimiter before the next start delimiter only
// moves the scan on; a lone delimiter ends the scan.  Nothing is done inside
// an ignored section.
void OutputDocument::ProcessInLineTags(AnalysedLine* line, FC* set) {
    if (!line || !set) return;
    if (set->preprocessor.ignoreDepth > 0) return;
    const TextString& start = set->GetText(Pol::StartTagDelimiter);
    const TextString& end = set->GetText(Pol::EndTagDelimiter);
    if (start.IsEmpty() || end.IsEmpty()) return;

    TextString work(line->taggedText);
    int position = 0;
    while (position <= work.length) {
        int from = -1, to = -1;
        if (!work.Find(position, start.buffer, &from, 0) || !work.Find(position, end.buffer, &to, 0)) break;
        if (to <= from) {
            position = to + end.length;
            continue;
        }
        TextString tag;
        tag.AssignSubstring(work.buffer, from, to + end.length - from);
        TextString rest;
        rest.AssignSubstring(work.buffer, to + end.length, work.length - to - end.length);
        work.SubString(0, from);
        work.Append(rest);
        line->ProcessInLineTag(tag, *set);
    }
}
