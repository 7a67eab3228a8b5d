// In-line tags inside table cells.  The full handling of cell tags is not
// built yet: a cell without tags needs none, and a cell holding tags is
// reported once per block and written with its tags as they are.
#include "tables/preform.h"

#include "policies/fc.h"

namespace {

// Reports that a routine of the table engine is missing; the block goes on
// without it.
void NotBuilt(FC* set, const char* name) {
    TextString message("PROGRAM ERROR: ");
    message.Append(name);
    message.Append(" is not built yet");
    if (set) set->ReportMessage(message.buffer, 10);
}

}  // namespace

void PreForm::ProcessCellTags(TableCell*, TextString* text, const SourcePosition&) {
    if (!text || !policies || cellTagsReported) return;
    const TextString& start = policies->GetText(Pol::StartTagDelimiter);
    if (start.length == 0 || !text->Find(0, start.buffer, nullptr, 0)) return;
    cellTagsReported = 1;
    NotBuilt(policies, "PreForm::ProcessCellTags");
}
void PreForm::ApplyCellFontAndLink(TableCell* cell, TextString* text, const FontSpec*, const SourcePosition& where, int) {
    if (!text || text->IsEmpty()) return;
    ProcessCellTags(cell, text, where);
}
void PreForm::ProcessWSTags(TableCell*, TextString*) {}
