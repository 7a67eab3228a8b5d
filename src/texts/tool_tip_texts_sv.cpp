// Swedish tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Starta konverteringen"},
    {1132, "Skall för-formaterad text placeras i en tabell om det är möjligt?"},
    {1198, "Kör programmet för granskning av utmatningsfilen"},
    {1452, "Lägg till ett prefix till filens URL. Krävs av vissa webbläsare, blir problem i andra"},
};

}  // namespace

std::span<const TextRow> SwedishToolTipRows() { return kRows; }
