#include "framework/host/TSimpleHttp.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

size_t OpenDescriptors() {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

TEST(SimpleHttp, MakingAndDestroyingOneOpensNothing) {
    const size_t before = OpenDescriptors();
    {
        TSimpleHttp http;
        EXPECT_FALSE(http.HasOpenRequest());
        EXPECT_EQ(OpenDescriptors(), before);
    }
    auto* http = new TSimpleHttp;
    delete http;
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
