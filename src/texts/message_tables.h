// The per-language rows of the message-text table.
//
// Each language keeps its texts in its own file (messages_<language>.cpp) as a
// list of (slot, text) rows, so that adding or correcting a translation is a
// change of data only.  The table loads English first and then lays the
// chosen language over it.
#pragma once

#include <span>

#include "texts/language_texts.h"

std::span<const TextRow> EnglishMessageRows();
std::span<const TextRow> GermanMessageRows();
std::span<const TextRow> SpanishMessageRows();
std::span<const TextRow> FrenchMessageRows();
std::span<const TextRow> PortugueseMessageRows();
std::span<const TextRow> ItalianMessageRows();
std::span<const TextRow> SwedishMessageRows();
