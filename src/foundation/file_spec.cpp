#include "foundation/file_spec.h"

#include <string>

#include "foundation/message_reporter.h"
#include "foundation/string_list.h"
#include "foundation/utilities.h"
#include "platform/file_search.h"

namespace {

// The matches of the last specification expanded with index 0.
StringList& MatchingFiles() {
    static StringList files;
    return files;
}

void ExpandSpecification(MessageReporter* reporter, const TextString& spec, StringList* files) {
    files->Clear();
    TextString directory, name, extension;
    SplitPath(spec, &directory, &name, &extension);

    FileSearch search;
    if (!search.Begin(directory.str(), (name + extension).str())) return;
    FoundFile found;
    while (search.Next(&found)) {
        if (found.isDirectory) continue;
        if (found.size == 0 && reporter) {
            const std::string message = "WARNING: File is empty " + found.name;
            reporter->OutputMessage(message.c_str(), kLevelWarning);
        }
        TextString path(directory);
        path.Append(found.name.c_str());
        files->Add(path.buffer);
    }
    files->Sort(1, 0);
}

}  // namespace

void GetMatchingFileName(MessageReporter* reporter, const TextString& spec, int index, TextString* out) {
    out->MakeEmpty();
    StringList& files = MatchingFiles();
    if (index == 0) ExpandSpecification(reporter, spec, &files);
    if (const char* text = files.TextAt(index)) out->Assign(text);
}
