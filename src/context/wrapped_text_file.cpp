// Interim definitions: the source reader is being built.
#include "context/wrapped_text_file.h"

#include "policies/fc.h"

WrappedTextFile::~WrappedTextFile() = default;
int WrappedTextFile::WriteWrapped(TextLine*) { return 0; }
int WrappedTextFile::ReadSourceLine(TextLine&, FC& policies) {
    policies.ReportMessage("PROGRAM ERROR: WrappedTextFile::ReadSourceLine is not built yet", 10);
    return 0;
}
int WriteWrappedLine(WrappedTextFile*, TextLine*, int, int, int) { return 0; }
void ResetHeldBackRemainder() {}
