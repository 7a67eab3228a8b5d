// The writers of the block kinds that are not tables, and column merging.
#include "tables/preform.h"

#include "policies/fc.h"

namespace {

// Reports that a routine of the table engine is missing; the block goes on
// without it.
void NotBuilt(FC* set, const char* name) {
    TextString message("PROGRAM ERROR: ");
    message.Append(name);
    message.Append(" is not built yet");
    if (set) set->ReportMessage(message.buffer, 10);
}

}  // namespace

void PreForm::OutputCodeSample() { NotBuilt(policies, "PreForm::OutputCodeSample"); }
void PreForm::OutputPreformatted() { NotBuilt(policies, "PreForm::OutputPreformatted"); }
void PreForm::OutputAsNormal() { NotBuilt(policies, "PreForm::OutputAsNormal"); }
void PreForm::OutputMailHeader() { NotBuilt(policies, "OutputMailHeader"); }
void PreForm::OutputTextBlock() { NotBuilt(policies, "PreForm::OutputTextBlock"); }
void PreForm::OutputInversePyramid() { NotBuilt(policies, "PreForm::OutputInversePyramid"); }
void PreForm::StartDefinitionList(int*, int*) { NotBuilt(policies, "PreForm::StartDefinitionList"); }
void PreForm::OutputDefinitionRow(int) { NotBuilt(policies, "PreForm::OutputDefinitionRow"); }
void PreForm::EndDefinitionList() { NotBuilt(policies, "PreForm::EndDefinitionList"); }
void PreForm::MergeColumns(int, int) { NotBuilt(policies, "PreForm::MergeColumns"); }
void PreForm::MergeLastTwoColumns() { NotBuilt(policies, "PreForm::MergeLastTwoColumns"); }
