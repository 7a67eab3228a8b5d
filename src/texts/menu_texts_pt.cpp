// Portuguese menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {10, "&Arquivo"},  {20, "Opções de Con&versão"},
    {68, "&Opções"},   {80, "Idio&ma"},
    {81, "Inglês"},    {88, "Outro..."},
    {95, "&Exibir"},   {100, "A&juda"},
    {125, "&Updates"},
};

}  // namespace

std::span<const TextRow> PortugueseMenuRows() { return kRows; }
