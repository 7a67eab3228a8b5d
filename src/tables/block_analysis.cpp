// Block analysis: what a collected block is and where its columns are.
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

void PreForm::Analyse() { NotBuilt(policies, "PreForm::Analyse"); }
void PreForm::AnalyseLineStatistics() { NotBuilt(policies, "PreForm::AnalyseLineStatistics"); }
void PreForm::GatherPositionStatistics() { NotBuilt(policies, "PreForm::GatherPositionStatistics"); }
void PreForm::DetectColumns(int) { NotBuilt(policies, "PreForm::DetectColumns"); }
void PreForm::GatherColumnStatistics() { NotBuilt(policies, "PreForm::GatherColumnStatistics"); }
