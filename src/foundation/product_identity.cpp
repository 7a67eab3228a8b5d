#include "foundation/product_identity.h"

namespace {

constexpr int kVendrelProductCode = 1;

// The maker's domain; the web site and the mail address are on it.
constexpr const char* kMakerDomain = "halvex.com";
// The mailbox for this product at the maker's domain.
constexpr const char* kContactMailbox = "vendrel";

// The maker's web site ("http://www.halvex.com/"); every product web address
// starts with it.
TextString MakerSite() {
    TextString site("http://www.");
    site.Append(kMakerDomain);
    site.AppendChar('/');
    return site;
}

}  // namespace

int GetCurrentProductCode() { return kVendrelProductCode; }

void GetProductInfo(TextString& name, TextString& shortVersion, TextString& fullVersion) {
    GetProductInfoForCode(GetCurrentProductCode(), name, shortVersion, fullVersion);
}

void GetProductInfoForCode(int productCode, TextString& name, TextString& shortVersion, TextString& fullVersion) {
    if (productCode == kVendrelProductCode) {
        name = "Vendrel";
        shortVersion = "4.0";
        fullVersion = "4.04";
        return;
    }
    name = "qqqqqqqq";
    shortVersion = "?.?";
    fullVersion = "?.?.?";
}

void GetDocumentationAddress(TextString& folderAddress, TextString& pageName) {
    folderAddress = MakerSite();
    folderAddress.Append("vendrel/doc/");
    pageName = "vdrdoco.html";
}

void GetMakerWebPage(const char* path, const char* query, TextString& address) {
    address = MakerSite();
    address.Append(path);
    if (query != nullptr && *query != '\0') {
        address.AppendChar('?');
        address.Append(query);
    }
}

void GetVersionCheckAddress(TextString& address) {
    TextString name, shortVersion, fullVersion;
    GetProductInfo(name, shortVersion, fullVersion);
    TextString query("p=");
    query.Append(name);
    query.Append("&v=");
    query.Append(fullVersion);
    GetMakerWebPage("cgi-local/checkversion.pl", query.buffer, address);
}

void GetProductHomePage(TextString& address) {
    address = MakerSite();
    address.Append("vendrel/");
}

void GetContactEmailAddress(TextString& address) {
    address = kContactMailbox;
    address.AppendChar('@');
    address.Append(kMakerDomain);
}
