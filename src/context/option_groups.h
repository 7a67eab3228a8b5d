// The option groups the context keeps outside the policy set (tag removal,
// mail tidying, plain-text formatting, text headers and footers), the options
// record of the tag remover, and the ALLOW/DISALLOW directives.
#pragma once

#include "foundation/text_string.h"
#include "policies/policy_value.h"

class FC;
class Tracker;

class TagRemovalOptionList {
public:
    PolicyGroup skiv;  // "[Skiv]", section code 1
    PolicyGroup mailTidy;  // "[Mail Tidy]", section code 2
    PolicyGroup formatting;  // "[Text formatting]", section code 4
    PolicyGroup headers;  // "[Text headers/footers]", section code 4

    // Builds the four groups with every value at its default.
    TagRemovalOptionList();
    TagRemovalOptionList(const TagRemovalOptionList&) = delete;
    TagRemovalOptionList& operator=(const TagRemovalOptionList&) = delete;

    // Every value of the four groups back to its default.
    void ResetAll();
};

// Ids of the option-group values.
enum OptionId : int {
    // "[Skiv]"
    kOptRemoveAllTags = 10,
    kOptRemoveAllHTMLTags = 11,
    kOptRemoveNonHTMLTags = 12,
    kOptRemoveMailXTags = 13,
    kOptRemoveOfficeTags = 14,
    kOptRemoveComments = 15,
    kOptRemoveHeadSection = 16,
    kOptRemoveScriptSection = 17,
    kOptRemoveStyleSheet = 18,
    kOptRemoveFontTags = 19,
    kOptRemoveSpanSection = 20,
    kOptRemoveEmphasisTags = 21,
    kOptReplaceHyperlinks = 22,
    kOptRemoveImageTags = 23,
    kOptReplaceEntities = 24,
    kOptAllow8BitAnsi = 25,
    kOptAllowAnsiAlternatives = 26,
    kOptTagsToUpperCase = 27,
    kOptTagsToLowerCase = 28,
    kOptRemoveNonStandardTags = 29,
    kOptRemoveNonStandardAttributes = 30,
    kOptKeepDeprecatedAttributes = 31,
    kOptKeepDeprecatedTags = 32,
    kOptUnicodeMarker = 33,
    // "[Text formatting]"
    kOptSentenceGap = 100,
    kOptRightJustify = 101,
    kOptFirstLineIndent = 102,
    kOptImageMarker = 103,
    kOptOmitLocalLinks = 104,
    kOptOmitEmailLinks = 105,
    kOptTextForOmittedLinks = 106,
    kOptRemoveRules = 107,
    kOptURLReferences = 108,
    kOptHighlightEmphasis = 109,
    kOptImposePageWidth = 110,
    kOptTargetPageWidth = 111,
    kOptDialogueLines = 112,
    kOptDialogueChecks = 113,
    kOptDialogueBreaks = 114,
    kOptPreserveShortLines = 115,
    kOptShortLinesEndParagraphs = 116,
    kOptPreserveWhiteSpace = 117,
    kOptTableBorders = 118,
    kOptAdjustTableWidth = 119,
    kOptParseTables = 120,
    kOptNoNestedTableBorders = 121,
    // "[Text headers/footers]"
    kOptByLineAsAuthor = 150,
    // "[Mail Tidy]"
    kOptMailSeparator = 200,
    kOptHTMLMailNotes = 201,
    kOptDiscardNotes = 202,
    kOptSimplifyMailHeaders = 203,
    kOptHeaderDetailLevel = 204,
    kOptDiscardNonAnsiMessages = 205,
};

// The options record that the tag remover takes.  The fields are kept in
// their record order; those that the rest of the program reads carry names,
// the others keep their reset values as plain fields.
class TagRemovalOptions {
public:
    // A fresh record holds the reset values given by the member initialisers.
    TagRemovalOptions() = default;
    // Every field back to the values a fresh record has.
    void Reset();

    int removeAllTags = 1;
    int removeAllHTMLTags = 1;
    int removeNonHTMLTags = 1;

    int removeMailXTags = 1;
    int removeOfficeTags = 1;
    int removeComments = 1;
    int switch6 = 1;
    int switch7 = 1;
    int switch8 = 1;
    int switch9 = 1;
    int switch10 = 1;
    int int11 = 0;
    int switch12 = 1;
    int switch13 = 1;
    int removeNonStandardTags = 1;
    int removeNonStandardAttributes = 1;
    int keepDeprecatedTags = 1;
    int keepDeprecatedAttributes = 1;
    int int18 = 0;
    int int19 = 0;
    TextString text1;
    TextString text2;

    int int20 = 0;
    int int21 = 0;
    int int22 = 0;
    int int23 = 0;
    int replaceEntitiesByText = 0;
    int allow8BitAnsi = 1;
    int allowAnsiAlternatives = 1;
    int tagsToLowerCase = 0;
    int tagsToUpperCase = 0;
    int utf8Output = 1;
    int multiByteSeen = 0;
    int decodeEntities = 0;  // entities are decoded even when not replaced by text

    TextString linkReplacement{"[link removed]"};  // shown in place of a removed link

    int int32 = 0;
    int switch33 = 1;
    int switch34 = 1;
    int switch35 = 1;
    int value36 = 65;
    int int37 = 0;
    int switch38 = 1;
    int int39 = 0;
    int switch40 = 1;
    int switch41 = 1;
    int int42 = 0;
    int switch43 = 1;
    int int44 = 0;
    int int45 = 0;
    int switch46 = 1;
    int switch47 = 1;
    int switch48 = 1;
    int switch49 = 1;
    int switch50 = 1;
    int switch51 = 1;
    int value52 = 9;
    int int53 = 0;

    int switch54 = 1;
    TextString text3;
    int switch55 = 1;
    int int56 = 0;
    TextString text4;
};

// ALLOW (allow 1) and DISALLOW (allow 0): switch the heading and list
// recognition permissions of a tracker from the words after the directive
// keyword ("Headings", "Lists", "All", "Reset", separated by commas).
void ApplyAllowDirective(FC* set, Tracker* tracker, const char* directiveText, int allow);
