// German tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Konvertierung beginnen"},
    {1132, "Soll vorformatierter Text in eine Tabelle eingefügt werden, wenn möglich?"},
    {1198, "de: Launch viewer application to load output file"},
    {1452, "Präfix vor URL-Dateiangabe. Notwendig in manchen, ein Problem in anderen Browsern"},
};

}  // namespace

std::span<const TextRow> GermanToolTipRows() { return kRows; }
