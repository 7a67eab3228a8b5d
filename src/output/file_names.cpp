// File names and queued source lines of one conversion.
#include "output/file_names.h"

#include "context/context.h"
#include "context/wrapped_text_file.h"
#include "policies/fc.h"

void MakeOutputFileNames(const TextString&, const TextString&, FC*, int, TextString*, TextString*, TextString*,
                         TextString*, TextString*, TextString*, TextString*) {}
void SetContentsListMode(FC*) {}
void DefineDefaultFolioBlocks(FC*, WrappedTextFile*) {}
void LoadFragmentsFile(FC*, WrappedTextFile*) {}
void GetTaggedFileDetails(FC*, TextString*, TextString*, TextString*, TextString*, TextString*, TextString*) {}
void AddAnchorsToLinkDictionary(FC*, const TextLine*, TextString* out) {
    if (out) out->MakeEmpty();
}
