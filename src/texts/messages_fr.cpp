// French message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Erreur de répertoire"},
    {30, "Aucun fichier trouvé \"xxxxxx\""},
    {47, "La commande \"ccc url\" a échoué.\n Error code=nnn"},
    {49, "Impossible de localiser le fichier \"ffffff\""},
    {65, "Gauche"},
    {68, "Justifié"},
    {71, "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%"},
    {87, "Fichiers de réglages (*.pol)|*.pol|All files (*.*)|*.*|"},
    {108, "Aucune délimitation des caractères n'est spécifiée"},
};

}  // namespace

std::span<const TextRow> FrenchMessageRows() { return kRows; }
