#include "app/product_identity.h"

#include <gtest/gtest.h>

TEST(ProductIdentityTest, RunningProductIsVendrel) {
    EXPECT_EQ(GetCurrentProductCode(), 1);
    TextString name("x"), shortVersion("x"), fullVersion("x");
    GetProductInfo(name, shortVersion, fullVersion);
    EXPECT_EQ(name.str(), "Vendrel");
    EXPECT_EQ(shortVersion.str(), "4.0");
    EXPECT_EQ(fullVersion.str(), "4.04");
}

TEST(ProductIdentityTest, UnknownCodeGivesPlaceHolders) {
    for (int code : {0, 2, -1}) {
        TextString name, shortVersion, fullVersion;
        GetProductInfoForCode(code, name, shortVersion, fullVersion);
        EXPECT_EQ(name.str(), "qqqqqqqq") << code;
        EXPECT_EQ(shortVersion.str(), "?.?") << code;
        EXPECT_EQ(fullVersion.str(), "?.?.?") << code;
    }
}
