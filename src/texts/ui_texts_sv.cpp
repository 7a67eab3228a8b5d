// Swedish UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Om qqqqqqqq"},
    {217, "qqqqqqqq Regelfil"},
    {285, "Tillåt erkännande och generering av TABLE"},
    {391, "Egenskaper för Dra'o'Släpp"},
    {436, "Titel :"},
    {525, "Analysregler"},
    {526, "Resultatregler"},
    {527, "Programinställningar"},
    {528, "OK"},
    {529, "Avbryt"},
    {530, "Applicera"},
    {531, "Hjälp"},
};

}  // namespace

std::span<const TextRow> SwedishUiRows() { return kRows; }
