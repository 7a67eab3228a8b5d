// The per-language rows of the menu-text table.
//
// Each language keeps its texts in its own file (menu_texts_<language>.cpp)
// as a list of (slot, text) rows; the table loads English first and then lays
// the chosen language over it.
#pragma once

#include <span>

#include "texts/language_texts.h"

std::span<const TextRow> EnglishMenuRows();
std::span<const TextRow> GermanMenuRows();
std::span<const TextRow> SpanishMenuRows();
std::span<const TextRow> FrenchMenuRows();
std::span<const TextRow> PortugueseMenuRows();
std::span<const TextRow> ItalianMenuRows();
std::span<const TextRow> SwedishMenuRows();
