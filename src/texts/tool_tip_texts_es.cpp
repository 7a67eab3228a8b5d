// Spanish tool-tip texts, keyed by control id.
//
// Rows translated so far; every control not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1015, "Inicie la conversión"},
    {1132, "Poner texto pre-formateado en tablas HTML si es posible"},
    {1198, "Lanzar aplicación de visualización para cargar el fichero de salida"},
    {1452,
     "Añadir un prefijo al URL del fichero. Necesario para algunos navegadores; puede causar problemas en otros."},
};

}  // namespace

std::span<const TextRow> SpanishToolTipRows() { return kRows; }
