// Spanish UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Sobre qqqqqqqq"},
    {67, "Título del Documento"},
    {217, "Política de uso de qqqqqqqq"},
    {285, "Reconocer y generar tablas"},
    {391, "Opciones del Tira-y-Suelta"},
    {436, "Título"},
    {525, "Opciones de Análisis"},
    {526, "Opciones de Salida"},
    {527, "Configuración"},
    {528, "Aceptar"},
    {529, "Cancelar"},
    {530, "Aplicar"},
    {531, "Ayuda"},
};

}  // namespace

std::span<const TextRow> SpanishUiRows() { return kRows; }
