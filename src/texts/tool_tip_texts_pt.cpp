// Portuguese tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// The browser-prefix tip (1452) has no Portuguese text of its own.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Iniciar conversão"},
    {1132, "Inserir texto pré formatado em tabelas HTML (<TABLE>)?"},
    {1198, "pg: Launch viewer application to load output file"},
};

}  // namespace

std::span<const TextRow> PortugueseToolTipRows() { return kRows; }
