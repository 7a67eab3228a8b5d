// The reading-time steps of a text line that read the policy set and its
// Context: the acceptance test the source reader applies to each physical
// line (page markers, double spacing, soft line breaks and the
// character-encoding statistics), the text commands and tab expansion.  The
// source reader (context/wrapped_text_file) runs them on every line it reads;
// the steps that need neither the policies nor the Context stay with
// TextLine in foundation/.
#pragma once

class FC;
class TextLine;

// The acceptance test of the source reader: 1 accepted; 0 with an empty text
// dropped; 0 with text kept: incomplete, the next physical line is appended
// to it.  Fills the character-encoding counters of the context.  Carries its
// state from line to line in GetLineAcceptanceState().
int GatherCharsetStatistics(TextLine& line, FC* set);

// Runs the policy set's text commands on the line.
void ApplyTextCommands(TextLine& line, FC* set);

// Expands the line's tabs with the "TAB size" policy; in UTF-8 text tab stops
// are counted in the positions the characters take.
void ExpandTabs(TextLine& line, FC* set);
