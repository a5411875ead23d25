// Replays the seeds of the translator's fuzz target through its entry
// function, so the normal test run checks every seed under the sanitizers.

#include "fuzz/LuaTranslatorFuzzEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_lua_translate";

TEST(LuaTranslatorFuzzCorpus, ReplaysSeeds) {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
        if (item.is_regular_file())
            files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        EXPECT_EQ(FuzzLuaTranslate(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                  0);
    }
    EXPECT_GE(files.size(), 6u);
}

TEST(LuaTranslatorFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(FuzzLuaTranslate(nullptr, 0), 0);
}

} // namespace
