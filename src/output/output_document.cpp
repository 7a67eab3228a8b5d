#include "output/output_document.h"

#include "policies/fc.h"

void OutputDocument::ProcessInLineTags(AnalysedLine*, FC* set) {
    if (set) set->ReportMessage("PROGRAM ERROR: OutputDocument::ProcessInLineTags needs the in-line tag handler", 10);
}
