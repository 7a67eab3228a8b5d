// German message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
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

std::span<const MessageTextRow> GermanMessageRows() { return kRows; }
