#include "app/product_identity.h"

namespace {

constexpr int kVendrelProductCode = 1;

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
