// Italian message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
    {3, "Cartella sbagliata"},
    {30, "Nessun file trovato \"xxxxxx\""},
    {47, "Comando \"ccc url\" fallito.\n\rCodice d'errore=nnn"},
    {49, "File non localizzato \"ffffff\""},
    {65, "Sinistra"},
    {68, "Justified"},
    {71, "%%%%%%%%%%%%%%%%%%% Conversione completa %%%%%%%%%%%%%%%%%%"},
    {87, "File di struttura (*.pol)|*.pol|Tutti i file (*.*)|*.*||"},
    {94, "File di testo (*.txt,*.asc)|*.txt;*.asc|Comma separated files (*.csv)|*.csv|Tutti i file (*.*)|*.*||"},
    {108, "Nessun carattere delimitatore specificato"},
};

}  // namespace

std::span<const MessageTextRow> ItalianMessageRows() { return kRows; }
