#include "support/html_file_lines.h"

#include <string_view>

#include "foundation/string_list.h"
#include "output/html_file.h"
#include "support/recording_document.h"

std::vector<std::string> HtmlFileLines(FC& set, const std::function<void(HTMLFile&)>& write) {
    HTMLFile writer;
    StringList out;
    writer.outputList = &out;
    writer.OpenForWrite("", 0, 0);
    writer.fileStarted = 1;
    writer.policies = &set;
    write(writer);
    writer.FlushBuffer(&set, &writer, 1);
    std::vector<std::string> lines;
    for (int i = 0; i < out.count; ++i) lines.push_back(out.TextAt(i));
    return lines;
}

void WriteRecorded(const RecordingDocument& lines, FC& set, HTMLFile& writer) {
    for (const RecordingDocument::Entry& entry : lines.entries) {
        TextString text(std::string_view(entry.text));
        if (entry.call == RecordingDocument::Call::Line)
            writer.WriteLine(&set, &writer, &text, entry.option);
        else
            writer.WriteText(&set, &writer, text.buffer);
    }
}
