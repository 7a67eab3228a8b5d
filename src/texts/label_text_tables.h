// The per-language rows of the label texts (texts/ui_texts.h,
// GetLabelText): English in C++ here, the six translations as
// src/texts/translations/<lang>/labels.txt, which the build turns into
// these functions (cmake/translation_rows.cmake).
#pragma once

#include <span>

#include "texts/language_texts.h"

std::span<const TextRow> EnglishLabelRows();
std::span<const TextRow> GermanLabelRows();
std::span<const TextRow> SpanishLabelRows();
std::span<const TextRow> FrenchLabelRows();
std::span<const TextRow> PortugueseLabelRows();
std::span<const TextRow> ItalianLabelRows();
std::span<const TextRow> SwedishLabelRows();
