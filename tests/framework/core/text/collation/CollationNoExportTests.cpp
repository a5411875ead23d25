#include "framework/core/text/TString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>

// This program runs beside a module named like the locale module that lacks
// its export: the strings compare byte by byte, and the module is tried
// once, then unloaded.

namespace {

int Loads() {
    const char* loads = std::getenv("CORVALO_NBLOCALE_LOADS");
    return loads ? std::atoi(loads) : 0;
}

TEST(CollationNoExport, ComparesByBytesAndTriesTheModuleOnce) {
    EXPECT_EQ(Loads(), 0);
    EXPECT_TRUE(TString("B") < TString("a"));
    EXPECT_EQ(Loads(), 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(TString("a").Compare(TString("B")), 1);
    }
    EXPECT_EQ(CollateStrings("B", "a"), -1);
    EXPECT_EQ(Loads(), 1) << "the module was tried again";

    std::string path = std::string(COLLATION_MODULES) + "noexport/nblocale.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(handle, nullptr) << "the module stayed loaded";
    if (handle) {
        dlclose(handle);
    }
}

} // namespace
