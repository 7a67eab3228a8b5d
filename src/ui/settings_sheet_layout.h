// The window of the "Program Settings" sheet: its five pages, in tab order.
#pragma once

#include "ui/window_layout.h"

const SheetDescription& SettingsSheetLayout();
