// German UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Über qqqqqqqq"},
    {67, "Titel des Dokuments"},
    {217, "qqqqqqqq Basisdatei"},
    {285, "Tabellenerkennung und -erzeugung versuchen"},
    {391, "Drag & Drop-Eigenschaften"},
    {436, "Title:"},
    {525, "Analyse Regeldaten"},
    {526, "Ausgabe Regeldaten"},
    {527, "Settings"},
    {528, "OK"},
    {529, "Abbrechen"},
    {530, "Anwenden"},
    {531, "Hilfe"},
};

}  // namespace

std::span<const TextRow> GermanUiRows() { return kRows; }
