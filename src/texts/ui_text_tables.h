// The per-language rows of the UI-text table.
//
// Each language keeps its texts in its own file (ui_texts_<language>.cpp) as a
// list of (slot, text) rows, so that adding or correcting a translation is a
// change of data only.  The table loads English first and then lays the
// chosen language over it.
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
