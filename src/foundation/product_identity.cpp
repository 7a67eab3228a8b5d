#include "foundation/product_identity.h"

namespace {

constexpr int kVendrelProductCode = 1;

// The maker's web site; every product address is built from it.
constexpr const char* kMakerSite = "http://www.halvex.com/";

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
    folderAddress = kMakerSite;
    folderAddress.Append("vendrel/doc/");
    pageName = "vdrdoco.html";
}

void GetProductHomePage(TextString& address) {
    address = kMakerSite;
    address.Append("vendrel/");
}
