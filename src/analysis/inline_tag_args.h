// In-line tag syntax: how a tag text such as "[[FONT 1, Arial, 12]]" or a
// directive line "$_$_TABLE_LAYOUT 3, 1, 20" splits into a tag name and an
// argument list, and how single arguments are read by their type.
//
// The argument list is kept in one normalised text: a marker character stands
// in front of every argument, argument 1 included ("|3|1|20").  The marker is
// the first character of "|#?/\+^&*=~" that the text does not contain.
//
// This file holds the part of the tag syntax that the table configuration
// needs (recognising a tag, normalising its arguments, reading integer and
// text arguments).  The readers of alignment and list codes, tag removal and
// page scopes join it beside these routines.
#pragma once

#include "foundation/text_string.h"

class FC;

// True when `name` (any case) is one of the in-line tag names this program
// knows.
bool IsKnownTagName(const char* name);

// Splits a tag text into its name and normalised arguments.  The delimiters
// (or the directive prefix) are cut off, the name is the text up to the first
// blank, comma or "=" after its first character.  For HTML and HTML_COMMENT
// the arguments are the raw rest of the tag.  A nested or incomplete tag and
// an unknown name give false with `error` set and `level` 10; `level` is -1
// when there is no error.  Name and arguments are returned for unknown names.
bool RecogniseTag(FC& policies, const TextString& tagText, TextString& name, TextString& arguments,
                  TextString& error, int& level);

// Normalises `text` (a tag's content, name included) in place: the first
// occurrence of `tagName` is removed, blanks are collapsed, the directive
// prefix is removed from the front, and the rest is split at commas (or, when
// there is no comma outside double quotes, at blanks) into the marker form.
// Reports "PROGRAM ERROR: Can't parse tag ..." and returns false when no marker
// character is free.
bool ParseTagArguments(FC& policies, TextString& text, const char* tagName);

// Argument n (from 1) of a normalised argument list; empty when absent.
// Returns whether the list holds an argument n.
bool GetTagArgument(FC& policies, const TextString& arguments, int n, TextString& out);

// Integer arguments: a decimal integer, after any "name=".  True with the
// number read; otherwise true with `defaultValue` when `hasDefault`, else
// false with -1.
bool GetTagInteger(FC& policies, const TextString& arguments, int n, int& out, bool hasDefault,
                   int defaultValue);
bool TryGetTagInteger(FC& policies, const TextString& arguments, int n, int& out);
bool GetTagIntegerOrDefault(FC& policies, const TextString& arguments, int n, int& out, int defaultValue);

// Text arguments: the argument as normalised (outer blanks trimmed,
// enclosing double quotes removed, doubled quotes made single).  An absent or
// empty argument is not read: true with `defaultValue` when `hasDefault`,
// else false with `out` empty.
bool GetTagString(FC& policies, const TextString& arguments, int n, TextString& out, bool hasDefault,
                  const char* defaultValue);
bool TryGetTagString(FC& policies, const TextString& arguments, int n, TextString& out);
bool GetTagStringOrDefault(FC& policies, const TextString& arguments, int n, TextString& out,
                           const char* defaultValue);
