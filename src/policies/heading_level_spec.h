// The numbering style of one heading or contents level, as policy files
// write it: '"Chapter" N. at indent 0', '"" (a) at indent -4',
// '"" Numbered Paragraph'.
#pragma once

#include "foundation/text_string.h"

class HeadingLevelSpec {
public:
    int set = 0;
    int style = 1;  // 1 N, 2 a, 3 i, 4 A, 5 I
    int indent = -1;
    TextString prefix;
    int prefixWords = 1;
    int numberedParagraph = 0;
    int hasPrefix = 0;
    TextString before;
    TextString after;
    int trailingX = 0;
    char separator = '.';
    int extra1 = -1;  // set by the policy set; carried by copy and merge
    int extra2 = -1;

    HeadingLevelSpec() { Reset(); }
    virtual ~HeadingLevelSpec() = default;
    HeadingLevelSpec(const HeadingLevelSpec& other) { CopyFrom(other); }
    HeadingLevelSpec& operator=(const HeadingLevelSpec& other) {
        CopyFrom(other);
        return *this;
    }

    void Reset();
    void CopyFrom(const HeadingLevelSpec& other);
    void MergeFrom(const HeadingLevelSpec& other);
    bool Parse(int levels, const TextString& text);
    int Format(int levels, TextString* out) const;
};
