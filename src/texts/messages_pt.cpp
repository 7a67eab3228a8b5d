// Portuguese message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {3, "Erro de Diretório"},
    {30, "Nenhum arquivo encontrado \"xxxxxx\""},
    {47, "Comando \"ccc url\" falhou. \n\r Código de erro=nnn"},
    {49, "Arquivo não localizado \"ffffff\""},
    {65, "Esquerda"},
    {68, "Justificado"},
    {71, "%%%%%%%%%%%%%%%%%%% Conversão completa %%%%%%%%%%%%%%%%%%"},
    {87, "Arquivos de Parâmetro (*.pol)|*.pol|Todos os arquivos (*.*)|*.*|"},
    {94,
     "Arquivos de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos os arquivos "
     "(*.*)|*.*||"},
    {108, "pg: No delimiter character specified"},
};

}  // namespace

std::span<const TextRow> PortugueseMessageRows() { return kRows; }
