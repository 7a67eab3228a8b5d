// The per-language rows of the UI-text table.
//
// English keeps its rows in C++ here in src/texts, the programmers' text and
// the base every language is laid over.  The six translations are UTF-8 text
// files, src/texts/translations/<lang>/<table>.txt, that the build turns into
// these functions (cmake/translation_rows.cmake); a language without a file
// has no rows of its own and shows English.
#pragma once

#include <span>

#include "texts/language_texts.h"

std::span<const TextRow> EnglishUiRows();
std::span<const TextRow> GermanUiRows();
std::span<const TextRow> SpanishUiRows();
std::span<const TextRow> FrenchUiRows();
std::span<const TextRow> PortugueseUiRows();
std::span<const TextRow> ItalianUiRows();
std::span<const TextRow> SwedishUiRows();
