// Interim definitions: definitions, tags and folio variables are being built.
#include "context/definitions.h"

#include "context/context.h"

void DefineList::Add(FC*, int, const TextString&, const SourcePosition&, int, int, const TextString*) {}
int DefineList::AppendLine(const TextString&) { return 0; }
bool DefineList::FindPreviousDefinition(int, const TextString&, const SourcePosition&, int, int* outIndex,
                                        bool) const {
    *outIndex = -1;
    return false;
}
bool DefineList::FindNextDefinition(int, const TextString&, const SourcePosition&, int, int* outIndex, bool) const {
    *outIndex = -1;
    return false;
}
bool ResolveFolioVariable(DefineList*, FC*, const char* name, const SourcePosition&, TextString& out) {
    out.Assign(name);
    return false;
}
void TagList::Add(FC*, const TextString&, const TextString&, int, const SourcePosition&) {}
bool TagList::FindNext(const TextString&, const SourcePosition&, int* outIndex, bool) const {
    *outIndex = -1;
    return false;
}
bool TagList::FindPrevious(const TextString&, const SourcePosition&, int* outIndex, bool) const {
    *outIndex = -1;
    return false;
}
bool TagList::FindNextAfter(const TextString&, int, int* outIndex) const {
    *outIndex = -1;
    return false;
}
bool DocumentState::FindOutputFile(const TextString&, int* index) const {
    *index = -1;
    return false;
}
void DocumentState::AddMetaTag(Context*, const char* name, const char* content) {
    MetaTagEntry entry;
    entry.name.Assign(name);
    entry.content.Assign(content);
    for (TextString* text : {&entry.name, &entry.content}) {
        text->CollapseBlanks();
        text->Trim(0, " ");
    }
    metaTags.push_back(entry);
}
