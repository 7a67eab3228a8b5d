// Character entities: the process-wide table of HTML character entity names
// and their character codes, and the conversions around it: escaping of
// generated HTML text, the entity text of a character code (with the check
// whether the policies allow it), the code of an entity text, the UTF-8 bytes
// of an entity and the decoding of entities inside a text.
#pragma once

#include <vector>

#include "foundation/text_string.h"

class FC;

struct EntityEntry {
    TextString text;  // "&amp;": the name with its '&' and ';'
    int code = 0;  // the character code
};

// The table maps entity names to codes and codes to names.  It holds the 252
// character entities of HTML 4.0 and, added last, the upper-case spellings
// "&LT;", "&GT;" and "&AMP;".  Those three serve decoding only: looking up a
// code always gives the row that was added first ("&lt;" for 60).
class EntityTable {
public:
    // Adds a row.  The by-name order is case-sensitive byte order; rows of the
    // same code stay in the order they were added.
    void Add(const char* text, int code);

    // The row whose text equals `text` exactly (case-sensitive); null if none.
    const EntityEntry* FindByName(const char* text) const;
    // The first-added row of `code`; null if none.
    const EntityEntry* FindByCode(int code) const;

    int Count() const { return static_cast<int>(entries.size()); }
    const EntityEntry& ByName(int index) const {
        return entries[static_cast<size_t>(byName[static_cast<size_t>(index)])];
    }
    const EntityEntry& ByCode(int index) const {
        return entries[static_cast<size_t>(byCode[static_cast<size_t>(index)])];
    }

private:
    std::vector<EntityEntry> entries;  // in the order added
    std::vector<int> byName;  // indices into entries, by text
    std::vector<int> byCode;  // indices into entries, by code
};

// The program's entity table, filled on first use.
const EntityTable& GetEntityTable();

// The table's text for a code; "&#" + the decimal code + ";" for a code that
// the table does not hold.  Returns 1.
int GetEntityText(int code, TextString* out);

// `out` becomes GetEntityText of the code; returns IsEntityAllowed.
int GetEntityForCode(FC* policies, int code, TextString* out);

// 1 when the policies allow the entity of a code in the output: always for
// codes 0-127 and 161-255; the Microsoft code-page characters and the HTML
// 4.0 entities by "Use of Microsoft entities code" and "Use of HTML 4.0
// entities code" (-1 meaning no restriction) and the rule set; never for the
// rest.  A code neither the user nor a rule set gave counts as -1, but for
// the HTML 4.0 code of an HTML 3.2 page, whose format default (0) holds.
// Without a policy set both codes count as -1 and the rule set as 0.
int IsEntityAllowed(FC* policies, int code);

// The code of an entity text: a name in the table (case-sensitive) or a
// decimal numeric reference "&#nnn;" for a code 32..65535 that is not a
// UTF-16 surrogate.  Returns 1 with the code, or 0 with -1.
int GetEntityCode(const TextString& text, int* code);

// The UTF-8 bytes of an entity text.  Returns the number of bytes (1..3) with
// the code and the bytes (unused bytes 0), or 0 with everything -1 when the
// entity is unknown or its code lies above 65535.
int EntityToUTF8(const TextString& text, int* code, int* b1, int* b2, int* b3);

struct EntityDecodeOptions {
    const TextString* text = nullptr;  // in
    TextString* result = nullptr;  // out; may be the same string as `text`
    int utf8 = 0;  // write decoded characters as UTF-8
    int latin1 = 0;  // with utf8: codes 128-255 as single bytes
    int plainAscii = 0;  // plain alternatives: "&nbsp;" a blank, dashes, quotes
    int* multiByteSeen = nullptr;  // optional out: set to 1 when UTF-8 sequences were written
};

// Decodes the entities of the text into the result, each occurrence once,
// from left to right: "&amp;lt;" gives "&lt;", never "<".  A candidate is an
// '&' followed within 8 characters by ';'.  Unknown entities, numeric
// references outside 32..65535 (or surrogates) and, without UTF-8 output,
// codes above 255 stay as written.  Returns the number of entities decoded.
int DecodeEntities(EntityDecodeOptions& options);

// Escapes generated HTML text in place: "&", "<" and ">" outside in-line tags
// (text between the start and end tag delimiters) become entities, then every
// byte above 160 becomes its entity.  Does nothing for output format 2.
void EscapeHTMLCharacters(FC* policies, TextString* text);

// The two steps of EscapeHTMLCharacters on their own.
void EscapeMarkupCharacters(FC* policies, TextString* text);
void EscapeEightBitCharacters(TextString* text);
