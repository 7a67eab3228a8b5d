// Italian message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
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

std::span<const TextRow> ItalianMessageRows() { return kRows; }
