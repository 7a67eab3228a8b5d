#include "output/insert_include_file.h"

#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "policies/fc.h"

namespace {

// The file's name and extension between double quotes.
TextString QuotedShortName(const TextString& path) {
    TextString directory, name, extension;
    SplitPath(path, &directory, &name, &extension);
    TextString quoted("\"");
    quoted.Append(name);
    quoted.Append(extension);
    quoted.Append("\"");
    return quoted;
}

void WriteFramed(FC* policies, OutputDocument* document, const TextString& line) {
    document->WriteText(policies, document, "");
    document->WriteText(policies, document, line.buffer);
}

}  // namespace

int InsertIncludeFile(OutputDocument* document, const TextString& name, FC* policies) {
    if (!document || !document->IsOpen() || name.IsEmpty()) return 0;
    const TextString shortName = QuotedShortName(name);

    TextFile file;
    Context* context = policies ? policies->context : nullptr;
    // The file is read in the encoding of the document's text, and written
    // to the document as such.
    if (context) file.utf8Text = context->documentState.utf8Text ? 1 : 0;
    bool opened = file.OpenForRead(name.buffer);
    // A name not found as given is looked for in the run's include directory.
    if (!opened && context && context->includeDirectorySwitch) {
        TextString resolved;
        ResolveRelativePath(context->includeDirectory, name, &resolved);
        opened = file.OpenForRead(resolved.buffer);
    }
    // A file name may hold "--" too.
    const TextString commentName = HTML_CommentText(shortName);
    if (!opened) {
        WriteFramed(policies, document, TextString("<!-- Failed to find include file ") + commentName + " -->");
        document->WriteText(policies, document, "");
        if (policies && policies->ReportRefusedFile(file)) return 0;
        TextString message = TextString("ERROR: Failed to find include file ") + shortName;
        AppendReason(message, file.openFailure);
        if (policies) policies->ReportMessage(message.buffer, kLevelAlways);
        return 0;
    }
    WriteFramed(policies, document, TextString("<!-- Start of include file ") + commentName + " -->");
    TextString line;
    while (file.ReadLine(line)) document->WriteText(policies, document, line.buffer);
    if (policies)
        for (const std::string& warning : file.readWarnings) policies->ReportMessage(warning.c_str(), kLevelAlways);
    document->WriteText(policies, document,
                        (TextString("<!--   End of include file ") + commentName + " -->").buffer);
    document->WriteText(policies, document, "");
    file.CloseAll();
    return 1;
}
