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

// The pages of the maker's web site the program's menus open: the site
// followed by `path` and, when `query` is not empty, "?" and the query.
void GetMakerWebPage(const char* path, const char* query, TextString& address);
// The web pages of the main window's menus.
inline constexpr const char* kWebDocumentationPath = "doco/vdrdoco.html";
inline constexpr const char* kMorvanePagePath = "morvane/";
inline constexpr const char* kPellionPagePath = "pellion/";
inline constexpr const char* kMenuPageQuery = "help";

// The address of the maker's version check for the running product: the
// script's page with the product name and its full version as the query.
void GetVersionCheckAddress(TextString& address);

// The product's home page on the maker's web site.
void GetProductHomePage(TextString& address);

// The address to write to about the product, at the maker's domain.
void GetContactEmailAddress(TextString& address);
