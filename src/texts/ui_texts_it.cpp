// Italian UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Informazioni su qqqqqqqq"},
    {217, "File di struttura di qqqqqqqq"},
    {285, "Tentativo di riconoscimento e generazione della tabella"},
    {391, "Proprietà del Drag'n'Drop"},
    {436, "Titolo:"},
    {525, "Analisi di struttura"},
    {526, "Strutture dell'output"},
    {527, "Impostazioni del programma"},
    {528, "OK"},
    {529, "Annulla"},
    {530, "Applica"},
    {531, "Aiuto"},
};

}  // namespace

std::span<const TextRow> ItalianUiRows() { return kRows; }
