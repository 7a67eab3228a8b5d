// French UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "A propos de qqqqqqqq"},
    {217, "Fichier des règles de conversion de qqqqqqqq"},
    {285, "Identification et génération de TABLE"},
    {391, "Propriétés du glisser déposer"},
    {436, "Titre:"},
    {525, "Réglages pour l'analyse"},
    {526, "Réglages de sortie"},
    {527, "Configurations du programme"},
    {528, "OK"},
    {529, "Annuler"},
    {530, "Appliquer"},
    {531, "Aide"},
};

}  // namespace

std::span<const TextRow> FrenchUiRows() { return kRows; }
