#include "foundation/product_identity.h"

#include <gtest/gtest.h>

namespace {

TEST(ProductIdentity, CurrentAndUnknownCodes) {
    struct Case {
        int code;
        const char* name;
        const char* shortVersion;
        const char* fullVersion;
    };
    const Case cases[] = {{1, "Vendrel", "4.0", "4.04"}, {7, "qqqqqqqq", "?.?", "?.?.?"}, {-1, "qqqqqqqq", "?.?", "?.?.?"}};
    for (const Case& c : cases) {
        TextString name, shortVersion, fullVersion;
        GetProductInfoForCode(c.code, name, shortVersion, fullVersion);
        EXPECT_STREQ(name.c_str(), c.name);
        EXPECT_STREQ(shortVersion.c_str(), c.shortVersion);
        EXPECT_STREQ(fullVersion.c_str(), c.fullVersion);
    }
    TextString name, shortVersion, fullVersion;
    EXPECT_EQ(GetCurrentProductCode(), 1);
    GetProductInfo(name, shortVersion, fullVersion);
    EXPECT_STREQ(name.c_str(), "Vendrel");

    TextString folder, page;
    GetDocumentationAddress(folder, page);
    EXPECT_STREQ(page.c_str(), "vdrdoco.html");
}

}  // namespace
