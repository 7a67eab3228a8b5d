// Swedish menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {10, "&Arkiv"},   {20, "&Konvertering"}, {68, "&Inställningar"}, {80, "&Språk"},          {81, "Engelska"},
    {88, "Annat..."}, {95, "&Granska"},      {100, "&Hjälp"},        {125, "&Uppdateringar"},
};

}  // namespace

std::span<const TextRow> SwedishMenuRows() { return kRows; }
