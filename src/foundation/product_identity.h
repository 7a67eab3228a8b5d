// The running product's code, name, version texts and web addresses.
#pragma once

#include "foundation/text_string.h"

// The product this program is; always 1.
int GetCurrentProductCode();

// Name, short version and full version of the running product.
void GetProductInfo(TextString& name, TextString& shortVersion, TextString& fullVersion);

// The same for a given product code; an unknown code gives place-holder
// texts ("qqqqqqqq", "?.?", "?.?.?") that stand out wherever they appear.
void GetProductInfoForCode(int productCode, TextString& name, TextString& shortVersion, TextString& fullVersion);

// The documentation folder on the maker's web site and the page name of the
// documentation ("vdrdoco.html"); local look-ups use only the page name.
void GetDocumentationAddress(TextString& folderAddress, TextString& pageName);

// The product's home page on the maker's web site.
void GetProductHomePage(TextString& address);

// The address to write to about the product, at the maker's domain.
void GetContactEmailAddress(TextString& address);
