// Word tidiers: the tests that the output-time word scan runs on each word of
// five characters or more.  Each decides whether the word is one kind of
// address (web, ftp, gopher or telnet address, e-mail address, newsgroup
// name) or a word emphasised by backspace overstriking, and if so builds the
// text that replaces the word: the word with its address part turned into
// link markup of the output format, or the emphasised word in emphasis
// markup.
//
// All tidiers of one word share a "replaced" mark: the first tidier that
// converts the word sets it, and every tidier returns at once when it is
// already set.  The address tidiers give back the replacement text and the
// display text (the address as it is shown in messages and in the list of
// links found) and store the length of the address proper in the converted
// line's extra wrap width, by which the line may exceed the wrap width.
//
// Link targets are always written between double quotes in an HREF
// attribute; a double quote inside a target is written "%22" so that it can
// never end the attribute early.
#pragma once

#include <string_view>

#include "foundation/text_string.h"

class AnalysedLine;
class CharBuffer;
class FC;
class PatternList;
class PatternRule;
struct PatternMatch;

// What the address tidiers made of a word.
enum URLType : int {
    kURLNone = 0,
    kURLHttp = 1,  // explicit http:// or https:// address
    kURLEmail = 2,
    kURLFtp = 3,  // explicit ftp:// address
    kURLGopher = 4,  // explicit gopher:// address
    kURLTelnet = 5,  // explicit telnet:// address
    kURLNewsgroup = 6,
    kURLBareWww = 7,  // "www." host without a scheme
    kURLBareFtp = 8,  // "ftp." host without a scheme
    kURLBareGopher = 9,  // "gopher." host without a scheme
    kURLBareTelnet = 10,  // "telnet." host without a scheme
    kURLHostAsFtp = 11,  // a host name taken as an ftp:// link
    kURLRefusedWww = 12,  // candidates that looked like addresses but were refused
    kURLRefusedEmail = 13,
    kURLRefusedFtp = 14,
    kURLRefusedGopher = 15,
    kURLRefusedTelnet = 16,
    kURLRefusedNewsgroup = 17,
};

// The text between "URL: " and the display text of the message that a
// converted word of this type gets ("(email) \"", "\"" ...); empty for types
// that get no message (0 and 12 and above).
const char* GetURLMessageLead(int urlType);

// Kinds of address core that SplitURLWord cuts out.
enum URLWordKind : int {
    kURLWordWeb = 1,
    kURLWordEmail = 2,
    kURLWordNewsgroup = 6,
};

// Cuts the address proper out of a word that carries brackets, quotes,
// markup or punctuation around it.  Only the part before a line feed is
// used.  With `html`, a word holding markup keeps only the text between its
// tags.  Leading ' ( < [ ` { and "&lt;", "URL:", "news:", "snews:",
// "HREF=\"" and "mailto:" are skipped; trailing ' ) , . : ; < > ? ] ` } and
// "&gt;", "&lt;", "'s" are cut; quotes around the core are dropped.  A bare
// scheme word ("http://") and a core with unbalanced quotes, brackets,
// '!', '*', "&lt;" or "&gt;" are refused (0).  An empty word gives 1 and
// leaves `core` alone; a word that cuts down to nothing is refused.
int SplitURLWord(int kind, const TextString& word, TextString& core, int html);

// Web, ftp, gopher and telnet addresses, with a scheme or as a bare
// "www.", "ftp.", "gopher." or "telnet." host, and (when allowed) other
// host names as ftp links.  Returns the URLType: 0 not converted, 1, 3-5 and
// 7-11 converted, 12 and 14-16 refused candidates.
int TidyHTTPWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                 TextString& display);

// E-mail addresses (with or without "mailto:").  Returns 0 or kURLEmail.
int TidyEmailWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                  TextString& display);

// Newsgroup names ("comp.lang.misc", "news:alt.test").  Returns 0,
// kURLNewsgroup or kURLRefusedNewsgroup; for a refused candidate
// `refusedCore` receives the name that the report shows.
int TidyUSENETWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement,
                   TextString& refusedCore, TextString& display);

// Whether the text ends with one of the beginnings by which the newsgroup
// tidier knows a name without the policy's list ("comp.", "news:"...),
// letters in any case.  A word whose only dot is its last byte can be known
// by them only when it ends with one of them.
bool EndsWithNewsHierarchy(std::string_view text);

// Words emphasised by backspace overstriking, as printed by manual-page
// formatters: "B\bBo\bo" is bold, "_\bu_\bl" underlined (the underline forms
// only with "Look for underlined text").  Sets `replaced` and the
// replacement when the word is emphasised.
void TidyUnixWord(FC& set, AnalysedLine& line, const TextString& word, int& replaced, TextString& replacement);

// Hands the report of a word that looked like an address to the line's
// message routine: "INFO: Treating ... as an ftp:// link" for type 11, the
// "INFO: Ignoring ..." reports of the refused types 12-17 (12 only in the
// finer scan, when `blankWords` is 0), nothing for the converted types.
void ReportURLCandidate(FC& set, AnalysedLine& line, int urlType, int blankWords, const TextString& word,
                        const TextString& refusedCore);

// Appends a link target for an HREF attribute that is written between double
// quotes: every double quote of the target becomes "%22".
void AppendHrefTarget(TextString& out, const TextString& target);

// The pattern action of the link-dictionary pass: the text between a '>' and
// the next '<' (the match of ">**<") is rewritten through the policy set's
// link dictionary, unless it is already the visible text of a link (a "</A>"
// follows).  `userData` is the policy set.  Returns 1001 when the text was
// changed (the scan then resumes after the inserted text), else 1002.
int ApplyLinkDictionaryBetweenTags(PatternList* list, PatternRule* rule, PatternMatch* match, CharBuffer* working,
                                   int* position, void* userData);
