// German menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {10, "&Datei"},         {20, "&Optionen Konvertierung"},
    {68, "Eins&tellungen"}, {80, "&Sprache"},
    {81, "Englisch"},       {88, "Andere..."},
    {95, "&Zeigen"},        {100, "&Hilfe"},
    {125, "&Updates"},
};

}  // namespace

std::span<const TextRow> GermanMenuRows() { return kRows; }
