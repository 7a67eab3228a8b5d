// The per-language rows of the tool-tip table.
//
// English keeps its rows in C++ here in src/texts, the programmers' text and
// the base every language is laid over.  The six translations are UTF-8 text
// files, src/texts/translations/<lang>/<table>.txt, that the build turns into
// these functions (cmake/translation_rows.cmake); a language without a file
// has no rows of its own and shows English.
#pragma once

#include <span>

#include "texts/language_texts.h"

std::span<const TextRow> EnglishToolTipRows();
std::span<const TextRow> GermanToolTipRows();
std::span<const TextRow> SpanishToolTipRows();
std::span<const TextRow> FrenchToolTipRows();
std::span<const TextRow> PortugueseToolTipRows();
std::span<const TextRow> ItalianToolTipRows();
std::span<const TextRow> SwedishToolTipRows();
