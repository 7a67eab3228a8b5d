// French message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
    {3,
     "Erreur de r\xE9"
     "pertoire"},
    {30,
     "Aucun fichier trouv\xE9"
     " \"xxxxxx\""},
    {47,
     "La commande \"ccc url\" a \xE9"
     "chou\xE9"
     ".\n Error code=nnn"},
    {49, "Impossible de localiser le fichier \"ffffff\""},
    {65, "Gauche"},
    {68,
     "Justifi\xE9"
     ""},
    {71, "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%"},
    {87,
     "Fichiers de r\xE9"
     "glages (*.pol)|*.pol|All files (*.*)|*.*|"},
    {108,
     "Aucune d\xE9"
     "limitation des caract\xE8"
     "res n'est sp\xE9"
     "cifi\xE9"
     "e"},
};

}  // namespace

std::span<const MessageTextRow> FrenchMessageRows() { return kRows; }
