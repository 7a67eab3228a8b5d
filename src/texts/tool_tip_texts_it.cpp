// Italian tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Iniziare la conversione"},
    {1132, "Si deve possibilmente disporre il testo pre-formattato una TABELLA?"},
    {1198, "Lancia il visore per caricare il file di output"},
    {1452,
     "Aggiungi un prefisso all'URL del file. Necessario per alcuni browsers, ma causa problemi in altri browsers"},
};

}  // namespace

std::span<const TextRow> ItalianToolTipRows() { return kRows; }
