// The paragraph, list-level, margin and vertical-space routines of HTML
// output are declared with the paragraph routines.
#pragma once

#include "output/paragraphs.h"
