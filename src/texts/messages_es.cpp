// Spanish message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
    {3, "Error en el Directorio"},
    {30, "Ficheros no encontrados \"xxxxxx\""},
    {47,
     "Fallo del comando \"ccc url\".\n\r  C\xF3"
     "digo de error=nnn"},
    {49, "Fichero no encontrado \"ffffff\""},
    {65, "Izquierda"},
    {68, "Justificado"},
    {71,
     "%%%%%%%%%%%%%%%%%%% Conversi\xF3"
     "n completa %%%%%%%%%%%%%%%%%%"},
    {87,
     "Ficheros de pol\xED"
     "tica de uso (*.pol)|*.pol|Todos los ficheros (*.*)|*.*|"},
    {94,
     "Ficheros de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos los ficheros "
     "(*.*)|*.*||"},
    {108,
     "Car\xE1"
     "cter de delimitaci\xF3"
     "n no especificado"},
};

}  // namespace

std::span<const MessageTextRow> SpanishMessageRows() { return kRows; }
