// For the tests of what reaches the HTML file writer: a buffering writer
// whose lines go to a list, and the lines a recording document was given,
// written again to such a writer.
#pragma once

#include <functional>
#include <string>
#include <vector>

class FC;
class HTMLFile;
class RecordingDocument;

// Starts a buffering HTML file writer whose lines go to a list, hands it to
// `write`, flushes it and gives the lines it wrote.  `set` has a Context
// whose output is HTML.
std::vector<std::string> HtmlFileLines(FC& set, const std::function<void(HTMLFile&)>& write);

// Writes what `lines` recorded to `writer`, each line by the call it came
// with.
void WriteRecorded(const RecordingDocument& lines, FC& set, HTMLFile& writer);
