// Swedish message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Katalogfel"},
    {30, "Inga filer hittades \"xxxxxx\""},
    {47, "Kommandot \"ccc url\" misslyckades.\n\r   Error code=nnn"},
    {49, "Kan inte lokalisera filen \"ffffff\""},
    {65, "Vänster"},
    {68, "Justerbar"},
    {71, "%%%%%%%%%%%%%%%%%%% Konvertering färdig %%%%%%%%%%%%%%%%%%"},
    {87, "Regelfiler (*.pol)|*.pol|Alla filer (*.*)|*.*|"},
    {94, "Textfiler (*.txt,*.asc)|*.txt;*.asc|Komma-separerade filer (*.csv)|*.csv|Alla filer (*.*)|*.*||"},
    {108, "Inget avgränsningstecken specificerat"},
};

}  // namespace

std::span<const TextRow> SwedishMessageRows() { return kRows; }
