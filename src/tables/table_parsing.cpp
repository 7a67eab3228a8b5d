// Table parsing: the lines of a block with known columns become rows of
// cells.
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

void PreForm::ParseTable(int) { NotBuilt(policies, "ParseTable"); }
void PreForm::StartTable(int, int*, int*) { NotBuilt(policies, "PreForm::StartTable"); }
void PreForm::EndRow(int, int) { NotBuilt(policies, "PreForm::EndRow"); }
void PreForm::EndTable(int) { NotBuilt(policies, "PreForm::EndTable"); }
void PreForm::AddCellLineBreak(int, int) { NotBuilt(policies, "PreForm::AddCellLineBreak"); }
void PreForm::ResetRowForLine(TableCellRow*, int) { NotBuilt(policies, "PreForm::ResetRowForLine"); }
