// The windows of the "Analysis Policies" sheet: its two pages, File
// structure and Table analysis, in tab order.
#pragma once

#include "ui/window_layout.h"

const SheetDescription& AnalysisSheetLayout();
