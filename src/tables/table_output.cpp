// Table output: the markup of a table in HTML and RTF.
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

void PreForm::OutputTableStart(int*, int*) { NotBuilt(policies, "PreForm::OutputTableStart"); }
void PreForm::OutputTableEnd() { NotBuilt(policies, "PreForm::OutputTableEnd"); }
void PreForm::OutputTableRow(int) { NotBuilt(policies, "PreForm::OutputTableRow"); }
void PreForm::OutputHtmlCell(int, int, int, const TableCell*, TableCell*, TextString*, TextString*, TextString*, int,
                             int, int, int) {
    NotBuilt(policies, "PreForm::OutputHtmlCell");
}
int PreForm::TableAlignment() const { return 1; }
void HTML_FormatCellLines(const TextString* text, TextString* out) {
    if (out && text && out != text) *out = *text;
    NotBuilt(nullptr, "HTML_FormatCellLines");
}
