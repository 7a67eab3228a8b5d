// Portuguese message texts.
//
// Rows translated so far; every slot not given here keeps the English text.
// Non-ASCII letters are Windows-1252 bytes, like every text of the engine.

#include "texts/message_tables.h"

namespace {

constexpr MessageTextRow kRows[] = {
    {3,
     "Erro de Diret\xF3"
     "rio"},
    {30, "Nenhum arquivo encontrado \"xxxxxx\""},
    {47,
     "Comando \"ccc url\" falhou. \n\r C\xF3"
     "digo de erro=nnn"},
    {49,
     "Arquivo n\xE3"
     "o localizado \"ffffff\""},
    {65, "Esquerda"},
    {68, "Justificado"},
    {71,
     "%%%%%%%%%%%%%%%%%%% Convers\xE3"
     "o completa %%%%%%%%%%%%%%%%%%"},
    {87,
     "Arquivos de Par\xE2"
     "metro (*.pol)|*.pol|Todos os arquivos (*.*)|*.*|"},
    {94,
     "Arquivos de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos os arquivos "
     "(*.*)|*.*||"},
    {108, "pg: No delimiter character specified"},
};

}  // namespace

std::span<const MessageTextRow> PortugueseMessageRows() { return kRows; }
