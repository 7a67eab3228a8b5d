// Markup removal: strips HTML tags, mail x-tags, office-document tags and
// comments from a text as a TagRemovalOptions record asks, cleans the tags it
// keeps (unknown tags, unknown or deprecated attributes, tag case) with the
// HTML 4.0 tag table, reports what it removed and decodes character entities.
// Known-heading registration uses it to compare headings without markup.
#pragma once

#include "foundation/text_string.h"

class MessageReporter;
class TagRemovalOptions;

// Strips the markup of `in` into `out` (which may be the same string) and
// returns the number of changes: every "<...>" span looked at plus every
// entity decoded.  Spans that are not markup (an address in angle brackets,
// a comparison such as "a < b > c" or "x <= y >= z", an empty "<>") are left
// as written.  The messages about removed tags and attributes are reported
// through the reporter (when given) at level 8, each distinct text once,
// with " (n times)" when it occurred n > 1 times.  Without options a freshly
// reset options record is used.
int RemoveMarkup(MessageReporter* reporter, TagRemovalOptions* options, const TextString* in, TextString* out);
int RemoveMarkup(MessageReporter* reporter, TagRemovalOptions* options, const TextString& in, TextString& out);

// Sets the options that known-heading registration uses: HTML tags, office
// tags and comments removed, other tags cleaned (unknown tags and attributes
// dropped, deprecated ones kept), entities replaced by 8-bit text with plain
// alternatives, no UTF-8 output, tag case unchanged.
void SetHeadingRemovalOptions(TagRemovalOptions& options);

// The comma-enclosed tag-name lists ("," + name + "," is looked up without
// regard to case).
const char* GetKnownHtmlTagList();
const char* GetMailXTagList();
const char* GetOfficeTagList();
