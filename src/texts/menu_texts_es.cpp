// Spanish menu texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {10, "&Fichero"},
    {20, "&Opciones de conversión"},
    {68, "&Configuración"},
    {80, "&Idioma"},
    {81, "Inglés"},
    {88, "Otro..."},
    {95, "&Ver"},
    {100, "&Ayuda"},
    {125, "Actua&lizaciones"},
};

}  // namespace

std::span<const TextRow> SpanishMenuRows() { return kRows; }
