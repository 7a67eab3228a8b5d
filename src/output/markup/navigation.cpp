#include "output/markup/navigation.h"

#include "context/context.h"
#include "foundation/line_types.h"
#include "foundation/text_line.h"
#include "output/markup/heading_anchors.h"
#include "policies/fc.h"

namespace {

bool SameNameIgnoringCase(const TextString& a, const TextString& b) {
    return a.length == b.length && CompareTextN(a.buffer, b.buffer, a.length, 1) == 0;
}

// The name of a file without its folder.
TextString WithoutFolder(const TextString& path) {
    int start = 0;
    for (int i = 0; i < path.length; ++i)
        if (path.buffer[i] == '/' || path.buffer[i] == '\\') start = i + 1;
    TextString name;
    name.AssignChars(path.buffer + start, path.length - start);
    return name;
}

// The name of the external contents file without its folder and extension,
// as the names of the output-file list are kept.
TextString ContentsFileBaseName(const FC& policies) {
    TextString name = WithoutFolder(policies.names.contentsFileName);
    int dot = -1;
    for (int i = name.length - 1; i >= 0 && dot < 0; --i)
        if (name.buffer[i] == '.') dot = i;
    if (dot >= 0) name.SubString(0, dot);
    return name;
}

// The name of the one page a run writes when it lists no output files (a
// document not split into several): `fileName` without its folder, or the
// file being written; empty when the run lists its output files.
TextString SingleDocumentName(const Context* context, const TextString& fileName) {
    if (!context || context->documentState.outputFiles.count > 0) return TextString();
    return WithoutFolder(fileName.IsEmpty() ? context->currentOutputFileName : fileName);
}

// The names of the neighbours of a file of the output-file list, each with
// the run's output extension (see GetNavigationFileNames).
void ListedFileNames(FC* policies, const TextString& fileName, int& fileIndex, TextString& next, TextString& current,
                     TextString& previous, TextString& first) {
    Context* context = policies ? policies->context : nullptr;
    TextString name;
    if (!fileName.IsEmpty()) {
        int dot = -1;
        name = fileName;
        if (name.FindChar(0, '.', &dot, 1)) name.SubString(0, dot);
    } else if (context) {
        const StringList& files = context->documentState.outputFiles;
        const char* last = files.TextAt(files.count - 1);
        name.Assign(last ? last : "");
    }

    const StringList* files = context ? &context->documentState.outputFiles : nullptr;
    int index = fileIndex;
    if (index < -1) {
        index = -1;
        if (context) context->documentState.FindOutputFile(name, &index);
    }
    // An index given by the caller is checked like a looked-up one.
    if (!files || index < 0 || index >= files->count) {
        index = -1;
        if (policies) {
            TextString message("PROGRAM ERROR: Can't locate file \"");
            message.Append(name);
            message.Append("\" in file list");
            policies->ReportMessage(message.buffer, kLevelAlways);
        }
    } else {
        if (index > 0) previous.Assign(files->TextAt(index - 1));
        current.Assign(files->TextAt(index));
        if (index < files->count - 1) next.Assign(files->TextAt(index + 1));
        if (policies->IsOn(Pol::GenerateExternalContentsFile))
            first = ContentsFileBaseName(*policies);
        else
            first.Assign(files->TextAt(0));
        if (SameNameIgnoringCase(first, name)) first.MakeEmpty();
    }
    fileIndex = index;

    const TextString extension = policies ? policies->names.outputExtension : TextString(".html");
    for (TextString* result : {&previous, &current, &next, &first}) {
        if (result->IsEmpty()) *result = name;
        result->Append(extension);
    }
}

}  // namespace

void GetNavigationFileNames(FC* policies, const TextString& fileName, const TextLine* line, int& fileIndex,
                            TextString& next, TextString& current, TextString& previous, TextString& first,
                            TextString& contentsLink) {
    next.MakeEmpty();
    current.MakeEmpty();
    previous.MakeEmpty();
    first.MakeEmpty();
    contentsLink.MakeEmpty();

    // A document written as one file is the only page: every neighbour is
    // that page itself.
    const TextString single = SingleDocumentName(policies ? policies->context : nullptr, fileName);
    if (!single.IsEmpty()) {
        previous = single;
        current = single;
        next = single;
        first = single;
        if (policies->IsOn(Pol::GenerateExternalContentsFile))
            first = ContentsFileBaseName(*policies) + policies->names.outputExtension;
        fileIndex = -1;
    } else {
        ListedFileNames(policies, fileName, fileIndex, next, current, previous, first);
    }

    contentsLink = first;
    // Only a heading or contents line has an anchor in the contents list.
    if (line && GetHeadingLevel(line->lineType) > 0) {
        TextString anchor;
        GetLineHeadingLinkName(line, policies, 1, &anchor);
        if (!anchor.IsEmpty()) {
            contentsLink.Append("#TOC_");
            contentsLink.Append(anchor);
        }
    }
}
