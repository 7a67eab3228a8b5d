// French menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// The File title has no French text of its own and shows the English one.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {20, "&Options de conversion"},
    {68, "&Configuration"},
    {80, "&Langue"},
    {81, "Anglais"},
    {88, "Autre..."},
    {95, "&Voir"},
    {100, "&Aide"},
    {125, "Actualiser (&Updates)"},
};

}  // namespace

std::span<const TextRow> FrenchMenuRows() { return kRows; }
