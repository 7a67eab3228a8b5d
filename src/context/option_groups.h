// The option groups the context keeps outside the policy set (tag removal,
// mail tidying, plain-text formatting), the options record of the tag
// remover, and the ALLOW/DISALLOW directives.
#pragma once

#include <array>

#include "foundation/text_string.h"
#include "policies/policy_value.h"

class FC;
class Tracker;

class TagRemovalOptionList {
public:
    PolicyGroup skiv;         // "[Skiv]", section code 1
    PolicyGroup mailTidy;     // "[Mail Tidy]", section code 2
    PolicyGroup formatting;   // "[Text formatting]", section code 4
    PolicyGroup headers;      // "[Text headers/footers]", section code 4

    TagRemovalOptionList();
    void ResetAll();
};

// Ids of the option-group values read by name elsewhere.
enum OptionId : int {
    kOptRemoveAllTags = 10,
    kOptTargetPageWidth = 111,
    kOptTextForOmittedLinks = 106,
    kOptFirstLineIndent = 102,
};

// The options record that the tag remover takes.
class TagRemovalOptions {
public:
    TagRemovalOptions() { Reset(); }
    void Reset();

    // Switches named where the rest of the program reads them; the others
    // keep their reset values as plain fields.
    int removeAllTags = 1;
    int removeAllHTMLTags = 1;
    int removeNonHTMLTags = 1;
    int removeMailXTags = 1;
    int removeOfficeTags = 1;
    int removeComments = 1;
    int removeNonStandardTags = 1;
    int removeNonStandardAttributes = 1;
    int keepDeprecatedTags = 1;
    int keepDeprecatedAttributes = 1;
    int replaceEntitiesByText = 0;
    int allow8BitAnsi = 1;
    int allowAnsiAlternatives = 1;
    int tagsToLowerCase = 0;
    int tagsToUpperCase = 0;
    int utf8Output = 1;
    int multiByteSeen = 0;
    TextString linkReplacement{"[link removed]"};
    std::array<int, 64> others{};
    TextString text1, text2, text3, text4;
};

// ALLOW (allow 1) and DISALLOW (allow 0): switch heading and list recognition
// permissions of a tracker.
void ApplyAllowDirective(FC* set, Tracker* tracker, const char* directiveText, int allow);
