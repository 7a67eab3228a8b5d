// The link dictionary: phrases of the converted text that become hyperlinks.
// Global definitions come from "Link definition" policy lines and act through
// pattern rules on every output word; positional entries put an anchor found
// in a source line back around the same occurrence in the output line.
#pragma once

#include <memory>
#include <vector>

#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;
class PatternList;
class TextFile;

class LinkDefinition {
public:
    int global = 1;
    TextString phrase;
    TextString givenPhrase;  // the phrase as given (trimmed), before output escaping
    TextString outputPhrase;
    TextString linkText;  // escaped for the output format
    TextString givenLinkText;  // as given, so copies and written files are escaped exactly once
    TextString url;
    TextString anchorMarkup;
    SourcePosition position;
    int occurrence = -1;
    int column = -1;
    int placed = 0;
    int placedAt = -1;
};

class LinkDictionary {
public:
    int count = 0;
    int globalCount = 0;
    int positionalCount = 0;
    int rulesBuilt = 0;

    LinkDictionary();
    ~LinkDictionary();
    LinkDictionary(const LinkDictionary&) = delete;
    LinkDictionary& operator=(const LinkDictionary&) = delete;

    int Add(FC* set, const char* phrase, const char* linkText, const char* url, const char* anchorMarkup,
            int occurrence, int column);
    int AddAll(FC* set, const LinkDictionary& other);
    void BuildRules(FC* set);
    int MatchLinkWord(FC* set, const TextString& word, TextString* out);
    int ApplyToLine(FC* set, const SourcePosition* position, const TextString* sourceLine, int occurrence,
                    int firstColumn, int lastColumn, const TextString* text, TextString* out);
    void Write(TextFile& sink) const;
    void Clear();
    const LinkDefinition* GetAt(int index) const {
        return (index >= 0 && index < count) ? entries[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    // Escapes a link text as the output format of the set's context needs.
    static void EscapeLinkText(FC* set, TextString& text);
    // The input position a positional entry is recorded at.
    static SourcePosition CurrentInputPosition(FC* set);

    std::vector<std::unique_ptr<LinkDefinition>> entries;
    std::unique_ptr<PatternList> rules;
};
