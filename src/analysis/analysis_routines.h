// Analysis routines shared by the line analysis and the line conversion: the
// bullet kind of a list line and the known heading that a text names.  The
// section numbers and section references they read are in
// context/section_numbers, which this header brings along.
#pragma once

#include <string_view>

#include <array>
#include <optional>

#include "context/section_numbers.h"
#include "foundation/source_position.h"
#include "foundation/text_string.h"

class FC;
class HeadingListEntry;

// ---- Bullets ----

// The list-item type of a line's bullet: 211 numbered (1 or 2 digits), 212
// and 214 lower and upper case letters, 213 and 215 lower and upper case
// roman numerals, 210 an unordered bullet ("(*)", an entity such as
// "&bull;"), 0 when the first word is no bullet.  Each kind must be allowed
// both by its argument and by the current tracker's list permissions.
// `bullet` receives the bullet text.  While output is written, a bullet that
// in-line tags precede is moved to the front of `lineText` (unless "List
// markup code" is set).
int DetermineBulletType(FC* set, TextString& lineText, int allowNumbered, int allowRoman, int allowAlphabetic,
                        TextString& bullet);
// The front of `lineText` from which DetermineBulletType decides as it
// would from the whole line: outside the output pass, the line's leading
// words when it holds no in-line tag; otherwise the whole line.  A caller
// that copies the line for the test need copy no more.
std::string_view BulletTestText(FC* set, std::string_view lineText);
// False when DetermineBulletType would find no bullet in `text` (a
// BulletTestText) and report nothing: no character a bullet is closed by or
// made of, no markup, no in-line tag (whose removal could bring one in), and
// not the special rules, under which one character is a bullet.  Most lines
// of a file end here without the test's copies.
bool MayHoldBullet(FC* set, std::string_view text);
// BulletTestText of `lineText` when MayHoldBullet of it holds, else nothing:
// the bullet test of every line asks both.  `readable`: the bytes that may be
// read from lineText.data() on (the room of its buffer; 0 when unknown), which
// lets a short text be looked at in place.
std::optional<std::string_view> BulletCandidateText(FC* set, std::string_view lineText, int readable = 0);

// ---- Known headings ----

// Finds the known heading that a text names: by its text or title, else, for
// numbered headings, by the section number of its first word, or, for
// underlined headings (111), by its title without number.  Contents-line
// types count as their heading types; an unset position stands for the
// current tracker's.  Found: 1, with the entry, its output file name and
// the output extension.  Not found: 0, the outputs unchanged and the policy
// set's message text prepared as a warning (not reported).
int FindHeadingAnchor(const TextString& text, int headingType, FC* set, const SourcePosition& position,
                      TextString& fileName, TextString& extension, HeadingListEntry*& entry);
