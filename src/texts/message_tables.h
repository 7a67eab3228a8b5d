// The per-language rows of the message-text table.
//
// Each language keeps its texts in its own file (messages_<language>.cpp) as a
// list of (slot, text) rows, so that adding or correcting a translation is a
// change of data only.  The table loads English first and then lays the
// chosen language over it.
#pragma once

#include <span>

struct MessageTextRow {
    int slot;
    const char* text;
};

std::span<const MessageTextRow> EnglishMessageRows();
std::span<const MessageTextRow> GermanMessageRows();
std::span<const MessageTextRow> SpanishMessageRows();
std::span<const MessageTextRow> FrenchMessageRows();
std::span<const MessageTextRow> PortugueseMessageRows();
std::span<const MessageTextRow> ItalianMessageRows();
std::span<const MessageTextRow> SwedishMessageRows();
