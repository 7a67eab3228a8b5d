// French tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Commencer la conversion"},
    {1132, "Placer si possible du texte préformatée dans le tableau?"},
    {1198, "fr: Launch viewer application to load output file"},
    {1452, "Ajouter un préfixe à URL du fichier. Nécessaire pour quelques navigateurs, problèmes avec certains"},
};

}  // namespace

std::span<const TextRow> FrenchToolTipRows() { return kRows; }
