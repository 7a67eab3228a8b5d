// Swedish message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
    {3, "Katalogfel"},
    {30, "Inga filer hittades \"xxxxxx\""},
    {47, "Kommandot \"ccc url\" misslyckades.\n\r   Error code=nnn"},
    {49, "Kan inte lokalisera filen \"ffffff\""},
    {65,
     "V\xE4"
     "nster"},
    {68, "Justerbar"},
    {71,
     "%%%%%%%%%%%%%%%%%%% Konvertering f\xE4"
     "rdig %%%%%%%%%%%%%%%%%%"},
    {87, "Regelfiler (*.pol)|*.pol|Alla filer (*.*)|*.*|"},
    {94, "Textfiler (*.txt,*.asc)|*.txt;*.asc|Komma-separerade filer (*.csv)|*.csv|Alla filer (*.*)|*.*||"},
    {108,
     "Inget avgr\xE4"
     "nsningstecken specificerat"},
};

}  // namespace

std::span<const MessageTextRow> SwedishMessageRows() { return kRows; }
