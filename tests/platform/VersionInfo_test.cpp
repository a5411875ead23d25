#include "platform/version/VersionInfo.h"

#include <gtest/gtest.h>

#include "BuildInfo.h"

namespace {

TEST(VersionInfo, ParseFillsFourNumbers) {
    struct Case {
        const char* text;
        uint16_t numbers[4];
        const char* formatted;
    } cases[] = {
        {"0.1.0", {0, 1, 0, 0}, "0.1.0.0"},
        {"1.2.3.4", {1, 2, 3, 4}, "1.2.3.4"},
        {"1.2.3.4.5", {1, 2, 3, 4}, "1.2.3.4"},
        {"", {0, 0, 0, 0}, "0.0.0.0"},
        {"7", {7, 0, 0, 0}, "7.0.0.0"},
        {"1.x.3", {1, 0, 3, 0}, "1.0.3.0"},
        {"99999.1", {65535, 1, 0, 0}, "65535.1.0.0"},
    };
    for (const Case& c : cases) {
        uint16_t numbers[4] = {9, 9, 9, 9};
        platform::ParseVersionNumbers(c.text, numbers);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(numbers[i], c.numbers[i]) << c.text << " part " << i;
        }
        EXPECT_EQ(platform::FormatVersion(numbers), c.formatted) << c.text;
    }
}

TEST(VersionInfo, ComesFromTheBuild) {
    platform::VersionInfo info = platform::ReadVersionInfo();
    EXPECT_EQ(info.productName, CORVALO_PRODUCT_NAME);
    EXPECT_EQ(info.internalName, CORVALO_INTERNAL_NAME);
    uint16_t numbers[4];
    platform::ParseVersionNumbers(CORVALO_VERSION, numbers);
    EXPECT_EQ(platform::FormatVersion(info.fileVersion), platform::FormatVersion(numbers));
}

} // namespace
