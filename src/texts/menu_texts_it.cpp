// Italian menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {10, "&File"},           {20, "&Opzioni di conversione"},
    {68, "&Impostazioni"},   {80, "&Linguaggio"},
    {81, "Inglese"},         {88, "Altro..."},
    {95, "&Visione"},        {100, "&Aiuto"},
    {125, "&Aggiornamenti"},
};

}  // namespace

std::span<const TextRow> ItalianMenuRows() { return kRows; }
