// Texts as the desktop's own dialogs take them, apart from any toolkit: the
// file-type filter of a file chooser and the text of a message box.
#pragma once

#include <string>

// The program's filter texts are pairs "Description|patterns|", the patterns
// separated by ";", the whole ended by one or two "|" ("Log files
// (*.log)|*.log|All files (*.*)|*.*|").  The desktop's chooser takes the same
// pairs without any trailing "|" (an empty last pair would be refused).
// "*.*" becomes "*": many names here have no dot, and "All files" must show
// them.  With `foldLetterCase` each ASCII letter of a pattern becomes a
// bracket of both cases ("*.TXT" and "*.txt" both match "*.[tT][xX][tT]"),
// since the desktop compares names with letter case.  A description without
// patterns, or with an empty pattern list, is dropped.  Empty when nothing
// is left: the chooser then shows every file.
std::string DesktopFileFilter(const char* filter, bool foldLetterCase);

// A message text as a message box shows it: a line break written as "\r\n",
// as the program's own "\n\r" or as a lone "\r" becomes one "\n".
std::string DesktopMessageText(const char* text);
