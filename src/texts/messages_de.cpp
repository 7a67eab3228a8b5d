// German message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Falsches Verzeichnis"},
    {30, "Keine Dateien gefunden \"xxxxxx\""},
    {47, "Kommando \"ccc url\" nicht erfolgreich. \n\r  Fehlercode=nnn"},
    {49, "Kann die Datei \"ffffff\" nicht finden"},
    {65, "Links"},
    {68, "\"Blocksatz\""},
    {71, "%%%%%%%%%%%%%%%%% Konvertierung fertig %%%%%%%%%%%%%%%%%"},
    {87, "Regeldateien (*.pol)|*.pol|Alle Dateien (*.*)|*.*|"},
    {94, "Text Dateien (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"},
    {108, "de: No delimiter character specified"},
};

}  // namespace

std::span<const TextRow> GermanMessageRows() { return kRows; }
