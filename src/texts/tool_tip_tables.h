// The per-language rows of the tool-tip table.
//
// Each language keeps its texts in its own file (tool_tip_texts_<language>.cpp)
// as a list of rows keyed by control id; the table loads English first and
// then lays the chosen language over it.
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
