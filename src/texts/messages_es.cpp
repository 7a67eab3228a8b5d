// Spanish message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Error en el Directorio"},
    {30, "Ficheros no encontrados \"xxxxxx\""},
    {47, "Fallo del comando \"ccc url\".\n\r  Código de error=nnn"},
    {49, "Fichero no encontrado \"ffffff\""},
    {65, "Izquierda"},
    {68, "Justificado"},
    {71, "%%%%%%%%%%%%%%%%%%% Conversión completa %%%%%%%%%%%%%%%%%%"},
    {87, "Ficheros de política de uso (*.pol)|*.pol|Todos los ficheros (*.*)|*.*|"},
    {94,
     "Ficheros de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos los ficheros "
     "(*.*)|*.*||"},
    {108, "Carácter de delimitación no especificado"},
};

}  // namespace

std::span<const TextRow> SpanishMessageRows() { return kRows; }
