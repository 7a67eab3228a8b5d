// Pipe tables whose bars wander: the rows of a table drawn with "|" whose
// bars do not stand at the same positions on every line are laid out again
// at their own bars, so that column detection finds the bars lined up.
#pragma once

class PreForm;

// In a block whose every line of text (blank and rule lines aside) begins
// and ends with "|", and whose lines mostly hold the same number (at least
// three) of "|" that no backslash escapes, but with those bars at other
// positions on some lines: each line with that number of bars, and each
// rule line with as many bars or "+" junctions, gets a layout text whose
// bars line up with the others' (each cell padded to the widest text of its
// column, by display width; a cell with more blanks before its text than
// after it stays right-justified).  An escaped bar ("\|") becomes a "|" of
// the cell's text.  Lines with another number of bars are left as they
// are, and so is a block whose bars line up already (box and aligned pipe
// tables), in which the laid-out cells would put a separator character of
// their text at one position on most lines, or whose laid-out lines would
// grow it beyond its bound (pipe_rows.cpp).  Runs on the margin-cut
// layout texts after the line statistics; true when it changed the block.
bool AlignPipeRows(PreForm& engine);
