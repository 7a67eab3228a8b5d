// The running product's code, name and version texts.
#pragma once

#include "foundation/text_string.h"

// The product this program is; always 1.
int GetCurrentProductCode();

// Name, short version and full version of the running product.
void GetProductInfo(TextString& name, TextString& shortVersion, TextString& fullVersion);

// The same for a given product code; an unknown code gives place-holder
// texts ("qqqqqqqq", "?.?", "?.?.?") that stand out wherever they appear.
void GetProductInfoForCode(int productCode, TextString& name, TextString& shortVersion, TextString& fullVersion);
