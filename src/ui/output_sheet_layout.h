// The windows of the "Output Policies" sheet: its seven pages, in tab order,
// and the advanced HTML options dialog the Added HTML page opens.
#pragma once

#include "ui/window_layout.h"

const SheetDescription& OutputSheetLayout();
const WindowDescription& MoreHtmlOptionsLayout();
