// Table cells: the cell records, cutting a line into cells, and the
// measurements the analysis and the output take from a cell.
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

TableCell::TableCell(FC*, const SourcePosition& where, const FontSpec* cellFont) : font(cellFont), position(where) {}

int TableCell::GuessAlignment(const PreForm* engine, int, int, const TextString&, int) const {
    NotBuilt(engine ? engine->policies : nullptr, "TableCell::GuessAlignment");
    return 1;
}
void TableCell::Unquote() {}
void TableCell::CountLineBreaks(const PreForm* engine) { NotBuilt(engine ? engine->policies : nullptr, "TableCell::CountLineBreaks"); }
int TableCell::LinesNeeded(const PreForm* engine, int, int, int) const {
    NotBuilt(engine ? engine->policies : nullptr, "TableCell::LinesNeeded");
    return 1;
}
int TableCell::WidestLine(const PreForm*, FC* set, TextString*) const {
    NotBuilt(set, "TableCell::WidestLine");
    return 0;
}
bool TableCell::IsEffectivelyEmpty(FC* set, const PreForm*) const {
    NotBuilt(set, "TableCell::IsEffectivelyEmpty");
    return false;
}
void TableCell::JoinBelow(FC* set, TableCell*) { NotBuilt(set, "TableCell::JoinBelow"); }

void TableCellRow::RemoveRange(int lastKept, int lastRemoved) {
    if (lastKept + 1 > lastRemoved || lastKept + 1 >= Count()) return;
    const int stop = lastRemoved + 1 < Count() ? lastRemoved + 1 : Count();
    cells.erase(cells.begin() + (lastKept + 1), cells.begin() + stop);
}
void TableCellRow::Reset(int n, FC* set, const SourcePosition& where, const FontSpec* font) {
    cells.clear();
    for (int i = 0; i < n; ++i) cells.push_back(std::make_unique<TableCell>(set, where, font));
}

int GetDelimitedField(const char*, int, char, TextString* out) {
    if (out) out->MakeEmpty();
    NotBuilt(nullptr, "GetDelimitedField");
    return 0;
}

void PreForm::SplitLineIntoCells(TableCellRow*, int, int) { NotBuilt(policies, "PreForm::SplitLineIntoCells"); }
void PreForm::SplitLineIntoCellsByColumns(TableCellRow*, int, int) { NotBuilt(policies, "PreForm::SplitLineIntoCellsByColumns"); }
void PreForm::SplitLineIntoCellsByDelimiter(TableCellRow*, int, int) { NotBuilt(policies, "PreForm::SplitLineIntoCellsByDelimiter"); }
int PreForm::GetSpanWidth(const TableCell*, int, int, int) const {
    NotBuilt(policies, "PreForm::GetSpanWidth");
    return 0;
}
void PreForm::CountCellLines(TableCellRow*) { NotBuilt(policies, "PreForm::CountCellLines"); }
int PreForm::GuessHeaderVerticalAlignment(TableCellRow*, int*) {
    NotBuilt(policies, "PreForm::GuessHeaderVerticalAlignment");
    return 1;
}
int PreForm::GuessRowVerticalAlignment(TableCellRow*, int) {
    NotBuilt(policies, "PreForm::GuessRowVerticalAlignment");
    return defaultVAlignment;
}
const FontSpec* PreForm::LineFont(int) const { return nullptr; }
