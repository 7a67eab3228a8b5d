// HtmlTagTable: the elements of HTML 4.0 with the attributes each allows and
// those it keeps only as deprecated, plus the tags that the version
// deprecates as a whole and the special tags (document type, XML
// declaration).  The tag cleaner of the markup remover asks it whether a tag
// is known and whether an attribute belongs on a tag.
#pragma once

#include <vector>

#include "foundation/text_string.h"

// One element: its name, the attributes it allows and the deprecated ones,
// each list written "|a|b|...|" ("|" when empty).
struct HtmlTagEntry {
    TextString name;
    TextString allowed;
    TextString deprecated;
};

// Attribute-set kinds: which common attributes go in front of an element's
// own ones.
enum HtmlAttributeKind : int {
    kHtmlAttrNone = 0,  // no common attributes
    kHtmlAttrAll = 1,  // core, events and language attributes
    kHtmlAttrCore = 2,  // id, class, style, title
    kHtmlAttrLang = 3,  // lang, dir
    kHtmlAttrEvents = 4,  // the mouse and key events
};

// Results of Classify.
enum HtmlTagClass : int {
    kHtmlTagUnknown = 0,
    kHtmlTagKnown = 1,
    kHtmlTagSpecial = 2,
    kHtmlTagNotInVersion = 3,
    kHtmlTagDeprecated = 4,
};

// Results of CheckAttribute.
enum HtmlAttributeCheck : int {
    kHtmlAttrNotAllowed = 0,
    kHtmlAttrNoEntry = 1,  // the tag is unknown or the table has no row for it
    kHtmlAttrDeprecated = 2,
    kHtmlAttrAllowed = 3,
};

class HtmlTagTable {
public:
    int version = 4;
    std::vector<HtmlTagEntry> entries;
    TextString knownTags;  // every entry's name, "|a|abbr|...|"
    TextString deprecatedTags;  // tags the version deprecates
    TextString notInVersionTags;  // tags the version does not have (none for 4.0)
    TextString specialTags;  // "|!doctype|?xml|"

    // An empty table: no entries, every list "|".
    HtmlTagTable();

    // Fills the table for HTML 4.0 (any earlier contents are dropped).
    void BuildHtml40();

    // Adds one element.  `kind` chooses the common attributes put in front of
    // the element's own comma-separated `attributes`; `deprecated` is the
    // comma list of its deprecated attributes (null or empty for none).
    // Names are trimmed before they enter the lists.
    void AddEntry(const char* name, int kind, const char* attributes, const char* deprecated);

    // 1 known, 4 deprecated, 3 not in this version, 2 special, 0 unknown.  The
    // name is trimmed and its '/' characters dropped, so "/p" is "p"; case is
    // ignored.
    int Classify(const char* name) const;

    // 3 when the attribute is allowed on the tag, 2 when deprecated on it, 0
    // when not allowed, 1 when the tag does not classify or has no row.
    int CheckAttribute(const char* tag, const char* attribute) const;

    // The row of a tag (case ignored, '/' dropped); null when none.
    const HtmlTagEntry* FindEntry(const char* tag) const;
};

// The program's table, built for HTML 4.0 on first use.
const HtmlTagTable& GetHtmlTagTable();
