// Portuguese UI texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/ui_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Sobre qqqqqqqq"},
    {67, "Título do Documento"},
    {217, "Arquivo de Parâmetros qqqqqqqq"},
    {285, "Tentar reconhecimento e criação de TABELA"},
    {391, "Opções de arrastar e soltar"},
    {436, "Título"},
    {525, "Opções de Análise"},
    {526, "Opções de Destino"},
    {527, "Opções do Programa"},
    {528, "OK"},
    {529, "Cancelar"},
    {530, "Aplicar"},
    {531, "Ajuda"},
};

}  // namespace

std::span<const TextRow> PortugueseUiRows() { return kRows; }
