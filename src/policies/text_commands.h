// Text commands: "Text command" lines of a policy file that drop a source
// line from the analysis, force its line type, turn it into a META tag, or
// remove or replace text in it.  The source reader applies the list to every
// line right after reading it.
#pragma once

#include <memory>
#include <vector>

#include "foundation/line_types.h"
#include "foundation/text_string.h"

class FC;
class TextFile;
class TextLine;

class TextCommand {
public:
    enum Command { kIgnoreLine = 1, kTreatLine = 2, kMetaTagLine = 3, kRemoveText = 4, kReplaceText = 5 };
    enum DataType { kUnknownType = 0, kExactString = 1, kString = 2, kExactPhrase = 3, kPhrase = 4, kWildcard = 6 };

    int valid = 0;
    TextString policyLine;
    int command = 0;
    int dataType = 0;
    int position = 0;  // 1 starting_with, 2 containing
    TextString matchExpression;
    TextString metaTagName;
    int removeMatchText = 0;
    int replaceMode = 0;  // 1 by_string, 5 by_character
    TextString replacement;
    int lineType = kLineNotAnalysed;

    TextCommand(FC* set, const char* line);  // parses the line
    TextCommand(const TextCommand& other) = default;

    void ApplyToLine(FC* set, TextLine* target, const TextLine* source, TextString* out) const;
    void ApplyPhrase(FC* set, TextLine* target, const TextLine* source, TextString* out) const;

private:
    // exact_string, exact_phrase and wildcard compare case-sensitively.
    bool IsCaseSensitive() const;
    // What ignore_line, treat_line and meta_tag_line do to a line that
    // matched; `text` is the line's current text.
    void ApplyLineEffect(FC* set, TextLine* target, const TextString& text) const;
};

class TextCommandList {
public:
    int count = 0;

    TextCommandList() = default;
    TextCommandList(const TextCommandList&) = delete;
    TextCommandList& operator=(const TextCommandList&) = delete;

    int Add(FC* set, const char* line);
    int AddAll(FC* set, const TextCommandList& other);
    int Apply(FC* set, TextLine* line, const TextLine* source, TextString* out) const;
    void Write(TextFile& sink) const;
    void Clear();
    const TextCommand* GetAt(int index) const {
        return (index >= 0 && index < count) ? items[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<TextCommand>> items;
};
